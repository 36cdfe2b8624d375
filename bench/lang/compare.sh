#!/bin/bash
# compare.sh [FILE [ROUNDS]]: langbench FILE against `xmllint --noout FILE` as whole processes,
# in turn (one warm-up each, then ROUNDS rounds, default 11); prints both medians and the median
# of the per-round ratios. Without FILE it uses /tmp/lang20k.xml, written first by
# make_language.py (20,000 keys) when missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
file=${1:-/tmp/lang20k.xml}
rounds=${2:-11}
langbench=${LANGBENCH:-$here/../../build/bench/langbench}
[ -f "$file" ] || /usr/bin/python3 "$here/make_language.py" "$file"

ms_of() {
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

"$langbench" "$file" > /dev/null
xmllint --noout "$file"
ours=() theirs=() ratios=()
for _ in $(seq "$rounds"); do
    a=$(ms_of "$langbench" "$file")
    b=$(ms_of xmllint --noout "$file")
    ours+=("$a") theirs+=("$b")
    ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }')")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
"$langbench" "$file" | tail -1
echo "langbench (whole process): $(median "${ours[@]}") ms"
echo "xmllint --noout:           $(median "${theirs[@]}") ms"
echo "median ratio:              $(median "${ratios[@]}")"
