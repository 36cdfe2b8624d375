"""Writes the hostile archives of the zip layer's tests into the folder given as argument."""

import os
import struct
import sys
import zipfile


def info(name, *, mode=0o644, extra=b"", compress=zipfile.ZIP_STORED):
    entry = zipfile.ZipInfo(name, date_time=(2020, 5, 6, 7, 8, 10))
    entry.create_system = 3
    entry.external_attr = mode << 16 | (0x10 if name.endswith("/") else 0)
    entry.extra = extra
    entry.compress_type = compress
    return entry


# Writes an archive into `folder`, then hands its bytes to `change` if given; its bytes.
def write(name, entries, comment=b"", change=None):
    path = os.path.join(folder, name)
    with zipfile.ZipFile(path, "w") as archive:
        for entry, data in entries:
            archive.writestr(entry, data)
        archive.comment = comment
    with open(path, "rb") as archive:
        content = bytearray(archive.read())
    return save(name, change(content)) if change else content


def save(name, content):
    with open(os.path.join(folder, name), "wb") as archive:
        archive.write(content)
    return content


def counted(delta):
    def change(content):
        end = content.rfind(b"PK\x05\x06")
        count = struct.unpack_from("<H", content, end + 8)[0] + delta
        struct.pack_into("<HH", content, end + 8, count, count)
        return content

    return change


# A Zip64 end record and locator before the end record, claiming 2**40 entries for a central
# directory of one record.
def zip64_count(content):
    end = content.rfind(b"PK\x05\x06")
    size, offset = struct.unpack_from("<II", content, end + 12)
    zip64 = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 2**40, 2**40, size, offset)
    locator = struct.pack("<IIQI", 0x07064B50, 0, end, 1)
    struct.pack_into("<HH", content, end + 8, 0xFFFF, 0xFFFF)
    return content[:end] + zip64 + locator + content[end:]


# Fifty central records that all point at the one local entry.
def overlapping(content):
    central = content.find(b"PK\x01\x02")
    end = content.rfind(b"PK\x05\x06")
    record = content[central:end]
    directory = record * 50
    tail = bytearray(content[end:])
    struct.pack_into("<HHI", tail, 8, 50, 50, len(directory))
    return content[:central] + directory + tail


# Turns one byte of the deflated data.
def flip(content):
    name_length, extra_length = struct.unpack_from("<HH", content, 26)
    content[30 + name_length + extra_length + 40] ^= 0x55
    return content


# zipfile writes no encrypted entries, so the flag is set afterwards in both headers.
def encrypt(content):
    content[6] |= 0x01
    content[content.rfind(b"PK\x01\x02") + 8] |= 0x01
    return content


def main():
    content = write("traversal.zip", [
        (info("../evil1.txt"), b"evil"),
        (info("a/../../evil2.txt"), b"evil"),
        (info("/abs/inside.txt"), b"inside"),
        (info("C:\\..\\evil3.txt"), b"evil"),
        (info("link/evil4.txt"), b"evil"),
        (info("good.txt"), b"good"),
    ])

    # "UT" declares 13 bytes of times, but the field ends after the modification time.
    cut_ut = b"UT" + struct.pack("<HB", 13, 7) + struct.pack("<i", 1_000_000_000)
    write("truncated_ut.zip", [(info("cut.txt", extra=cut_ut), b"cut")])
    data = b"all work and no play makes jack a dull boy\n" * 200
    write("flipped.zip", [(info("data.txt", compress=zipfile.ZIP_DEFLATED), data)], change=flip)
    write("long_names.zip", [
        (info("n" * 300), b"one component"),
        (info("/".join(["d" * 99] * 3) + "/file.txt"), b"nested"),
    ])
    write("encrypted.zip", [(info("secret.txt"), b"x" * 24)], change=encrypt)
    # Entries named as bsdtar names them when it packs ".".
    write("dot_slash.zip", [
        (info("./", mode=0o40755), b""), (info("./a.txt"), b"alpha"),
        (info("./sub/", mode=0o40755), b""), (info("./sub/b.txt"), b"beta"),
    ])
    # Permissions of an archive made on Unix, set-id and sticky bits among them.
    write("unix_modes.zip", [
        (info("run.sh", mode=0o100755), b"#!/bin/sh\n"),
        (info("private.txt", mode=0o100600), b"private"),
        (info("setuid", mode=0o104755), b"no set-id"),
        (info("sticky", mode=0o101777), b"no sticky"),
    ])
    # Types that share the folder's bit: a socket, a block device; then a real folder.
    write("special_modes.zip", [
        (info("socket", mode=0o140644), b"socket data"),
        (info("device", mode=0o60644), b"device data"),
        (info("folder", mode=0o40755), b""),
    ])
    # The longest comments; the second holds what looks like an end record.
    write("comment_65514.zip", [(info("c.txt"), b"comment")], b"#" * 65514)
    fake_end = b"PK\x05\x06" + bytes(18)
    write("comment_65535.zip", [(info("c.txt"), b"comment")],
          fake_end + b"#" * (65535 - len(fake_end)))

    three = [(info(name), name.encode()) for name in ("x", "y", "z")]
    write("count_smaller.zip", three, change=counted(-1))
    write("count_larger.zip", three, change=counted(+1))
    write("zip64_count.zip", [(info("x"), b"x")], change=zip64_count)
    write("overlapping.zip",
          [(info("zeros.txt", compress=zipfile.ZIP_DEFLATED), bytes(100000))], change=overlapping)

    save("truncated.zip", content[: len(content) // 2])
    # An end record that promises a central directory the file does not hold.
    save("lying_end.zip", struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 5, 5, 1000, 0, 0))
    # A central record whose local header offset points into the middle of nowhere.
    central = content.rfind(b"PK\x01\x02")
    content[central + 42:central + 46] = struct.pack("<I", 7)
    save("bad_offset.zip", content)


if __name__ == "__main__":
    folder = sys.argv[1]
    main()
