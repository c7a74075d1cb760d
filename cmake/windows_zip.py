#!/usr/bin/env python3
"""Packs the Windows download: every file in one folder, in the order given, with one fixed
time stamp and the modes of regular files (the program executable), so that the same sources always give the same bytes. Text
files (.txt) get the CR LF line ends that Windows' Notepad of any age shows right.

    windows_zip.py ZIP FOLDER EPOCH NAME=PATH...
"""
import sys
import time
import zipfile

target, folder, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
stamp = time.gmtime(max(epoch, 315532800))[:6]  # a zip cannot say anything before 1980
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for entry in sys.argv[4:]:
        name, path = entry.split("=", 1)
        with open(path, "rb") as source:
            data = source.read()
        if name.endswith(".txt"):
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        info = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
        info.create_system = 3  # the modes below are Unix ones, whoever packs it
        info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(info, data, compresslevel=9)
