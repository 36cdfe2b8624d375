#!/bin/bash
# compare.sh [WORKDIR [TMPFS]]: whole-process wall times of copybench against cp, median of 9
# runs taken in turn (copybench, cp, copybench, ...), each onto a fresh target:
#   1. a 2 GiB file copied into a folder of the same file system (WORKDIR, default
#      /var/tmp/copybench; the file is made once from /dev/urandom);
#   2. /usr/include copied into a folder on tmpfs (TMPFS, default /dev/shm).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
copybench=${COPYBENCH:-$here/../../build/bench/copybench}
work=${1:-/var/tmp/copybench}
tmpfs=${2:-/dev/shm}
runs=9

mkdir -p "$work/target"
[ -f "$work/big.bin" ] || head -c 2G /dev/urandom > "$work/big.bin"
tree_target=$(mktemp -d "$tmpfs/copybench-XXXXXX")
trap 'rm -rf "$tree_target" "$work/target"' EXIT

# Prints the wall milliseconds of one run of the command after `clean` removed its target.
time_ms() {
    local clean=$1
    shift
    rm -rf "$clean"
    sync
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }

compare() {
    local title=$1 clean=$2 ours=$3 theirs=$4
    local a=() b=()
    for _ in $(seq "$runs"); do
        a+=("$(time_ms "$clean" $ours)")
        b+=("$(time_ms "$clean" $theirs)")
    done
    local ma mb
    ma=$(printf '%s\n' "${a[@]}" | median)
    mb=$(printf '%s\n' "${b[@]}" | median)
    echo "$title"
    echo "  copybench: ${a[*]} ms, median $ma ms"
    echo "  ${theirs%% *}:        ${b[*]} ms, median $mb ms"
    awk -v a="$ma" -v b="$mb" 'BEGIN { printf "  copybench / %s = %.2f\n", "cp", a / b }'
}

compare "2 GiB file, same file system ($work)" "$work/target/big.bin" \
    "$copybench $work/big.bin $work/target" "cp $work/big.bin $work/target/"
compare "/usr/include into tmpfs ($tree_target)" "$tree_target/include" \
    "$copybench /usr/include $tree_target" "cp -r /usr/include $tree_target/"
