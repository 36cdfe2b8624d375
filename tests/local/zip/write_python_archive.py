"""Packs a folder tree with Python's zipfile: write_python_archive.py MODE FOLDER ARCHIVE.

MODE is "stored", "deflated" or "zip64" (deflated, every entry forced to Zip64 records).
Entries are named from the folder's own name down, each folder before its contents.
"""

import os
import shutil
import sys
import zipfile


def main(mode, folder, archive_path):
    base = os.path.dirname(os.path.abspath(folder))
    method = zipfile.ZIP_STORED if mode == "stored" else zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(archive_path, "w", compression=method) as archive:
        for root, folders, files in os.walk(folder):
            folders.sort()
            archive.write(root, os.path.relpath(root, base))
            for name in sorted(files):
                path = os.path.join(root, name)
                entry = zipfile.ZipInfo.from_file(path, os.path.relpath(path, base))
                entry.compress_type = method
                with open(path, "rb") as source, archive.open(
                    entry, "w", force_zip64=(mode == "zip64")
                ) as target:
                    shutil.copyfileobj(source, target)


if __name__ == "__main__":
    main(*sys.argv[1:])
