"""Writes the hostile archives of the zip layer's tests into the folder given as argument."""

import os
import struct
import sys
import zipfile


def info(name, *, extra=b"", compress=zipfile.ZIP_STORED):
    entry = zipfile.ZipInfo(name, date_time=(2020, 5, 6, 7, 8, 10))
    entry.create_system = 3
    entry.external_attr = 0o644 << 16
    entry.extra = extra
    entry.compress_type = compress
    return entry


def write(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for entry, data in entries:
            archive.writestr(entry, data)


def main(folder):
    write(os.path.join(folder, "traversal.zip"), [
        (info("../evil1.txt"), b"evil"),
        (info("a/../../evil2.txt"), b"evil"),
        (info("/abs/inside.txt"), b"inside"),
        (info("C:\\..\\evil3.txt"), b"evil"),
        (info("link/evil4.txt"), b"evil"),
        (info("good.txt"), b"good"),
    ])

    # "UT" declares 13 bytes of times, but the field ends after the modification time.
    cut_ut = b"UT" + struct.pack("<HB", 13, 7) + struct.pack("<i", 1_000_000_000)
    write(os.path.join(folder, "truncated_ut.zip"), [(info("cut.txt", extra=cut_ut), b"cut")])

    data = b"all work and no play makes jack a dull boy\n" * 200
    flipped = os.path.join(folder, "flipped.zip")
    write(flipped, [(info("data.txt", compress=zipfile.ZIP_DEFLATED), data)])
    with open(flipped, "r+b") as archive:
        name_length, extra_length = struct.unpack("<HH", archive.read(30)[26:30])
        archive.seek(30 + name_length + extra_length + 40)
        byte = archive.read(1)
        archive.seek(-1, os.SEEK_CUR)
        archive.write(bytes([byte[0] ^ 0x55]))

    write(os.path.join(folder, "long_names.zip"), [
        (info("n" * 300), b"one component"),
        (info("/".join(["d" * 99] * 3) + "/file.txt"), b"nested"),
    ])

    # zipfile writes no encrypted entries, so the flag is set afterwards in both headers.
    encrypted = os.path.join(folder, "encrypted.zip")
    write(encrypted, [(info("secret.txt"), b"x" * 24)])
    with open(encrypted, "r+b") as archive:
        content = bytearray(archive.read())
        content[6] |= 0x01
        content[content.rfind(b"PK\x01\x02") + 8] |= 0x01
        archive.seek(0)
        archive.write(content)

    with open(os.path.join(folder, "traversal.zip"), "rb") as whole:
        content = whole.read()
    with open(os.path.join(folder, "truncated.zip"), "wb") as cut:
        cut.write(content[: len(content) // 2])
    # An end record that promises a central directory the file does not hold.
    with open(os.path.join(folder, "lying_end.zip"), "wb") as lying:
        lying.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 5, 5, 1000, 0, 0))
    # A central record whose local header offset points into the middle of nowhere.
    moved = bytearray(content)
    central = moved.rfind(b"PK\x01\x02")
    moved[central + 42:central + 46] = struct.pack("<I", 7)
    with open(os.path.join(folder, "bad_offset.zip"), "wb") as bad:
        bad.write(moved)


if __name__ == "__main__":
    main(sys.argv[1])
