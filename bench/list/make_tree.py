#!/usr/bin/python3
"""make_tree.py DIR [COUNT]: fills DIR with COUNT (default 100000) empty-content files whose
names, extensions, sizes (sparse) and modification times vary, in random creation order."""
import os
import random
import sys

def main():
    target = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    os.makedirs(target, exist_ok=True)
    rng = random.Random(42)
    words = ["report", "Photo", "notes", "Backup", "data", "zeta", "Alpha", "ärger", "log"]
    exts = ["", ".txt", ".TXT", ".jpg", ".tar.gz", ".c", ".h", ".md", ".bak", ".x"]
    for i in rng.sample(range(count), count):
        name = f"{rng.choice(words)}_{i:06d}{rng.choice(exts)}"
        path = os.path.join(target, name)
        with open(path, "wb") as f:
            f.truncate(rng.randrange(0, 1 << 34))
        stamp = rng.randrange(1_000_000_000, 1_700_000_000)
        os.utime(path, (stamp, stamp))

if __name__ == "__main__":
    main()
