#!/bin/bash
# compare.sh [TMPFS [RUNS]]: whole-process wall times of zipjobbench against the tools it is
# measured by, taken in turn (ours, theirs, ours, ...), RUNS rounds (default 9); prints both
# medians and the median of the per-round ratios. Archives and unpacked trees go to a folder on
# TMPFS (default /dev/shm), so the disk stays out of the figures.
#   pack   /usr/include        against `zipbench pack` and `zip -8 -r -q -y`
#   unpack that archive        against `unzip -q`
#   view   a 65,537-entry archive (256 folders of 255 one-byte files) against `unzip -l`
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bench=${BENCH_DIR:-$here/../../build/bench}
tmpfs=${1:-/dev/shm}
runs=${2:-9}
work=$(mktemp -d "$tmpfs/zipjobbench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Wall milliseconds of one run; output thrown away.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -g | sed -n "$(((runs + 1) / 2))p"; }

# compare TITLE 'OURS' 'THEIRS' [CLEAN]: CLEAN is removed before every run of either.
compare() {
    local title=$1 ours=$2 theirs=$3 clean=${4:-}
    local a=() b=() r=()
    for _ in $(seq "$runs"); do
        [ -z "$clean" ] || rm -rf "$clean"
        local ta tb
        ta=$(time_ms bash -c "$ours")
        [ -z "$clean" ] || rm -rf "$clean"
        tb=$(time_ms bash -c "$theirs")
        a+=("$ta")
        b+=("$tb")
        r+=("$(awk -v a="$ta" -v b="$tb" 'BEGIN { printf "%.3f", a / b }')")
    done
    echo "$title"
    echo "  zipjobbench: median $(printf '%s\n' "${a[@]}" | median) ms (${a[*]})"
    echo "  other: median $(printf '%s\n' "${b[@]}" | median) ms (${b[*]})"
    echo "  ratio, median of rounds: $(printf '%s\n' "${r[@]}" | median)"
}

python3 - "$work/many" <<'PY'
import os, sys
for d in range(256):
    folder = os.path.join(sys.argv[1], "d%03d" % d)
    os.makedirs(folder)
    for f in range(255):
        with open(os.path.join(folder, "f%03d.txt" % f), "w") as out:
            out.write("x")
PY
"$bench/zipbench" pack "$work/many.zip" "$work/many" > /dev/null
"$bench/zipbench" pack "$work/include.zip" /usr/include > /dev/null 2>&1 || true

compare "pack /usr/include, against zipbench pack" \
    "$bench/zipjobbench pack $work/a.zip /usr include" \
    "$bench/zipbench pack $work/b.zip /usr/include" "$work/a.zip"
compare "pack /usr/include, against zip -8 -r -q -y" \
    "$bench/zipjobbench pack $work/a.zip /usr include" \
    "cd /usr && zip -8 -r -q -y $work/z.zip include" "$work/z.zip"
compare "unpack the /usr/include archive, against unzip -q" \
    "rm -rf $work/u && $bench/zipjobbench unpack $work/include.zip $work/u" \
    "rm -rf $work/u && unzip -q $work/include.zip -d $work/u"
compare "view the 65,537-entry archive, against unzip -l" \
    "$bench/zipjobbench view $work/many.zip" "unzip -l $work/many.zip"
