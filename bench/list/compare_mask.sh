#!/bin/bash
# compare_mask.sh [DIR [MASK [ROUNDS]]]: wall time of `listbench DIR "name 1-0" MASK` against
# `find DIR -maxdepth 1 -mindepth 1 -iname MASK -printf ...` (the same entries with sizes, times
# and modes), run in turn ROUNDS times (default 11) after one warm-up each; prints the medians and
# the median of the per-round ratios. DIR defaults to /tmp/list100k (filled by make_tree.py when
# missing: 100,000 files, about a tenth of them "*.jpg"), MASK to "*.jpg".
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-/tmp/list100k}
mask=${2:-*.jpg}
rounds=${3:-11}
listbench=${LISTBENCH:-$here/../../build/bench/listbench}
[ -d "$dir" ] || /usr/bin/python3 "$here/make_tree.py" "$dir"

run_bench() { "$listbench" "$dir" "name 1-0" "$mask" > /dev/null; }
run_find() { find "$dir" -maxdepth 1 -mindepth 1 -iname "$mask" -printf '%s %T@ %m %f\n' > /dev/null; }
ns() { date +%s%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run_bench
run_find
bench_ms=() find_ms=() ratios=()
for _ in $(seq "$rounds"); do
    start=$(ns); run_bench; mid=$(ns); run_find; end=$(ns)
    b=$(((mid - start) / 1000)) f=$(((end - mid) / 1000))
    bench_ms+=("$b") find_ms+=("$f")
    ratios+=("$(awk -v b="$b" -v f="$f" 'BEGIN { printf "%.4f", b / f }')")
done
echo "matching: $("$listbench" "$dir" "name 1-0" "$mask" | tail -1), LANG=${LANG:-}"
echo "find matches: $(find "$dir" -maxdepth 1 -mindepth 1 -iname "$mask" | wc -l) of $(ls -A "$dir" | wc -l)"
printf '%s\n' "${bench_ms[@]}" | median | awk '{ printf "listbench median: %.1f ms\n", $1 / 1000 }'
printf '%s\n' "${find_ms[@]}" | median | awk '{ printf "find median:      %.1f ms\n", $1 / 1000 }'
printf '%s\n' "${ratios[@]}" | median | awk '{ printf "listbench / find, median of rounds: %.2f\n", $1 }'
