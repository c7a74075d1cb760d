#!/usr/bin/env python3
"""Writes a UTF-8 source file in code page 932, for a compiler that has no code page 932
execution character set: it copies the bytes inside literals as they are. A two-byte
character whose second byte is a backslash would turn into an escape, so the build stops."""
import os
import subprocess
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, "rb") as f:
    text = f.read()
cp932 = subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=text, check=True,
                       capture_output=True).stdout
at = 0
while at < len(cp932):
    lead = cp932[at]
    if 0x81 <= lead <= 0x9F or 0xE0 <= lead <= 0xFC:
        if at + 1 < len(cp932) and cp932[at + 1] == 0x5C:
            line = cp932[:at].count(b"\n") + 1
            character = cp932[at:at + 2].decode("cp932")
            sys.exit(f"{source}:{line}: 「{character}」 ends in a backslash byte (0x5C) in code "
                     "page 932, which clang would read as an escape: choose another character")
        at += 2
    else:
        at += 1
os.makedirs(os.path.dirname(target), exist_ok=True)
with open(target, "wb") as f:
    f.write(cp932)
