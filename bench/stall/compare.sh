#!/bin/bash
# Runs stallbench on folders of 100,000 and 1,000,000 files (made by bench/list/make_tree.py
# under WORK when missing): two clicks (both directions) on each column of the left panel, one
# process per column, then 100 clicks in turn on all columns at 100,000 for the memory figures.
# With FTP=1 the same clicks sort the left panel's remote listing of the folder, served by
# vsftpd on 127.0.0.1:$PORT (needs root); COLUMNS picks some of the columns, MEMORY=0 leaves out
# the memory run. Run from the source folder after a build.
#   bench/stall/compare.sh [ROWS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ROWS=("$@")
[ ${#ROWS[@]} -gt 0 ] || ROWS=(100000 1000000)
BENCH=${STALLBENCH:-$here/../../build/bench/stallbench}
WORK=${WORK:-/var/tmp/tarvo-stall}
PORT=${PORT:-22203}
mkdir -p "$WORK/program" "$WORK/empty"
cp -r "$here/../../resources/." "$WORK/program"
export TARVO_HOME=$WORK/program QT_QPA_PLATFORM=offscreen

tree() {
    local dir=$WORK/$1/home
    [ -d "$dir" ] || /usr/bin/python3 "$here/../list/make_tree.py" "$dir" "$1"
    echo "$dir"
}
clicks() { # ROWS CLICKS COLUMN...
    local dir
    dir=$(tree "$1")
    shift
    HOME=$dir "$BENCH" "$@"
}
if [ "${FTP:-0}" = 1 ]; then
    source "$here/../ftp/bench_vsftpd.sh"
    bench_user
    chmod 755 "$WORK"
fi
for rows in "${ROWS[@]}"; do
    for column in ${COLUMNS:-name ext size date attr}; do
        echo "== $rows rows, $column, local"
        clicks "$rows" 2 "$column" | grep -v '^rss'
        if [ "${FTP:-0}" = 1 ]; then
            echo "== $rows rows, $column, remote"
            WORK_HOME=$(tree "$rows")
            (
                WORK=$(dirname "$WORK_HOME")
                start_vsftpd >/dev/null
                STALL_FTP="127.0.0.1 $PORT $BENCH_USER $BENCH_PASS" \
                    HOME=$WORK_HOME "$BENCH" 2 "$column" | grep -v '^rss'
            )
        fi
    done
done
[ "${MEMORY:-1}" = 1 ] || exit 0
echo "== memory, 100 clicks at 100000 rows"
clicks 100000 100 name ext size date attr | grep -E '^(rss|[0-9]+ rows)'
