#!/bin/sh
# Kills savebench with SIGKILL at random moments while it saves and checks, after each kill, that
# the settings file is a whole document: well-formed, rooted at <TarvoManager>, ending in CR LF,
# holding the folders of one save. Prints the number of rounds and of files left beside it.
#   bench/save/kill_check.sh [SAVEBENCH [ROUNDS]]
set -eu
bench=${1:-build/bench/savebench}
rounds=${2:-100}
folder=$(mktemp -d)
file="$folder/TarvoManager.xml"
trap 'rm -rf "$folder"' EXIT

round=0
while [ "$round" -lt "$rounds" ]; do
    "$bench" "$file" 100000000 >/dev/null 2>&1 &
    pid=$!
    sleep "$(awk -v seed="$round" 'BEGIN { srand(seed); printf "%.3f", 0.005 + rand() * 0.05 }')"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    python3 - "$file" <<'PY'
import sys, xml.etree.ElementTree as tree
data = open(sys.argv[1], "rb").read()
assert data.endswith(b"</TarvoManager>\r\n"), "not a whole document"
root = tree.fromstring(data)
assert root.tag == "TarvoManager"
left = root.find("Settings/LeftTabDir").text or ""
right = root.find("Settings/RightTabDir").text or ""
assert left.replace("left", "right") == right, (left, right)
PY
    round=$((round + 1))
done
echo "$rounds kills, every file whole; other files left: $(ls -A "$folder" | grep -vc '^TarvoManager.xml$' || true)"
