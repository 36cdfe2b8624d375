#!/bin/bash
# compare.sh [DIR [KEY]]: wall time of listbench, `ls -l` and `find -printf` on DIR (default
# /tmp/list100k, filled by make_tree.py when missing), each warmed up once, best of 5 runs.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-/tmp/list100k}
key=${2:-name 1-0}
listbench=${LISTBENCH:-$here/../../build/bench/listbench}
[ -d "$dir" ] || /usr/bin/python3 "$here/make_tree.py" "$dir"

best_of_5() {
    "$@" > /dev/null
    local best=
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "$@" > /dev/null
        end=$(date +%s%N)
        local ms=$(((end - start) / 1000000))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    echo "$best"
}

bench=$(best_of_5 "$listbench" "$dir" "$key")
ls_ms=$(best_of_5 ls -l "$dir")
find_ms=$(best_of_5 find "$dir" -printf '%s %T@ %m %f\n')
echo "entries: $(ls -A "$dir" | wc -l), LANG=${LANG:-}"
"$listbench" "$dir" "$key" | tail -1
echo "listbench (whole process): $bench ms"
echo "ls -l:                      $ls_ms ms"
echo "find -printf:               $find_ms ms"
awk -v b="$bench" -v l="$ls_ms" -v f="$find_ms" \
    'BEGIN { printf "listbench / ls -l = %.2f, listbench / find = %.2f\n", b / l, b / f }'
