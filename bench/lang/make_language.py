#!/usr/bin/env python3
"""make_language.py FILE [KEYS]: writes a language document with KEYS entries (default 20000):
distinct CamelCase keys, texts of varied length with entities, line feeds and non-ASCII
letters, as a large translation would have them."""
import random
import sys

path = sys.argv[1]
keys = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
rng = random.Random(7)
words = ["Open", "Close", "File", "Folder", "Copy", "Move", "Delete", "Server", "Remote",
         "Local", "Transfer", "Archive", "Näita", "Übersicht", "Größe", "Ühendus"]
with open(path, "w", encoding="utf-8") as out:
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n')
    out.write('<Language Name="Bench" Native="Bench" Code="bn" Author="bench" Version="1" '
              'Revision="1" RightToLeft="0">\n  <Strings>\n')
    for i in range(keys):
        key = "".join(rng.choice(words[:12]) for _ in range(2)) + str(i)
        text = " ".join(rng.choice(words) for _ in range(rng.randint(1, 12)))
        if i % 10 == 0:
            text += " &amp; more&#10;second line"
        out.write(f'    <String Name="{key}">{text}</String>\n')
    out.write("  </Strings>\n</Language>\n")
