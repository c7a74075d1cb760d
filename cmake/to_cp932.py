#!/usr/bin/env python3
"""Copies a UTF-8 C++ source for clang, which has no code page 932 execution character set, so
that it compiles as GCC's -fexec-charset=CP932 compiles the original: the text of every plain
narrow string and character literal is written in code page 932, and everything else as it
stands (comments, u8, u, U and L literals, code), characters code page 932 lacks included.
clang keeps the bytes of a literal that are not UTF-8. A second byte that is a backslash
(0x5C) would start an escape, so it is written as the escape of a backslash. Usage:
to_cp932.py SOURCE COPY"""
import os
import re
import subprocess
import sys

# A comment, a literal with its prefix, or a number, whose digit separators are no quotes.
TOKEN = re.compile(rb"""
    //[^\n]*
  | /\*.*?\*/
  | (?P<prefix>(?:u8|u|U|L)?)R"(?P<delimiter>[^(\s]*)\((?P<raw>.*?)\)(?P=delimiter)"
  | (?P<plain_prefix>(?:u8|u|U|L)?)(?P<quote>["'])(?P<text>(?:\\.|[^\\\n])*?)(?P=quote)
  | \.?[0-9](?:[eEpP][+-]|['.\w])*
  | \w+
""", re.S | re.X)


def plain(match):
    """The span of a plain literal's text, or None for everything else."""
    if match["quote"] and not match["plain_prefix"]:
        return match.span("text")
    if match["delimiter"] is not None and not match["prefix"]:
        return match.span("raw")
    return None


def to_cp932(text):
    return subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=text, check=True,
                          capture_output=True).stdout


def backslashes_escaped(cp932, raw):
    """A two-byte character's second byte 0x5C, outside a raw string, as the escape "\\\\"."""
    if raw:
        return cp932
    out, at = bytearray(), 0
    while at < len(cp932):
        width = 2 if 0x81 <= cp932[at] <= 0x9F or 0xE0 <= cp932[at] <= 0xFC else 1
        out += cp932[at:at + width].replace(b"\\", b"\\\\") if width == 2 else cp932[at:at + 1]
        at += width
    return bytes(out)


def main(source, target):
    with open(source, "rb") as f:
        text = f.read()
    spans = [(span, match["raw"] is not None) for match in TOKEN.finditer(text)
             if (span := plain(match)) and not text[span[0]:span[1]].isascii()]
    # One call of iconv for all of them: literals hold no NUL of their own.
    converted = to_cp932(b"\0".join(text[start:end] for (start, end), _ in spans)).split(b"\0")
    out, at = bytearray(), 0
    for ((start, end), raw), cp932 in zip(spans, converted):
        out += text[at:start] + backslashes_escaped(cp932, raw)
        at = end
    out += text[at:]
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(*sys.argv[1:])
