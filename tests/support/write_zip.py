#!/usr/bin/env python3
"""Writes a zip archive for the tests: write_zip.py ARCHIVE [--damage NAME] NAME CONTENT ...

Each NAME ending in "/" is a folder entry (its CONTENT is ignored); files are stored as they
are. --damage NAME flips a byte of that entry's data, so that its CRC no longer matches.
"""
import sys
import zipfile

archive, args = sys.argv[1], sys.argv[2:]
damaged = None
if args[:1] == ["--damage"]:
    damaged, args = args[1], args[2:]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_STORED) as z:
    for name, content in zip(args[0::2], args[1::2]):
        z.writestr(name, b"" if name.endswith("/") else content.encode())
if damaged is not None:
    with zipfile.ZipFile(archive) as z:
        info = z.getinfo(damaged)
    with open(archive, "r+b") as f:
        f.seek(info.header_offset + 26)
        name_length = int.from_bytes(f.read(2), "little")
        extra_length = int.from_bytes(f.read(2), "little")
        data = info.header_offset + 30 + name_length + extra_length
        f.seek(data)
        byte = f.read(1)
        f.seek(data)
        f.write(bytes([byte[0] ^ 0xFF]))
