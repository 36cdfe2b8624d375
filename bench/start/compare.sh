#!/bin/sh
# The start of the program against a minimal Qt Widgets program (a main window with two empty
# tables), as whole processes, run in turn under one X display; prints the median wall time of
# each and their ratio. Without a display it runs itself under xvfb-run.
#   bench/start/compare.sh [ROUNDS]        (run from the source folder after a build)
set -eu
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
rounds=${1:-21}
export QT_QPA_PLATFORM=xcb
TARVO_HOME=$(mktemp -d)
export TARVO_HOME
trap 'rm -rf "$TARVO_HOME"' EXIT
cp -r resources/. "$TARVO_HOME"

milliseconds() {
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    echo $(( ($(date +%s%N) - start) / 1000000 ))
}
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

build/bench/startbench >/dev/null 2>&1 # warm-up; writes the first settings file
build/bench/minimalwindow >/dev/null 2>&1
ours=""
theirs=""
round=0
while [ "$round" -lt "$rounds" ]; do
    ours="$ours $(milliseconds build/bench/startbench)"
    theirs="$theirs $(milliseconds build/bench/minimalwindow)"
    round=$((round + 1))
done
a=$(echo "$ours" | tr ' ' '\n' | grep . | median)
b=$(echo "$theirs" | tr ' ' '\n' | grep . | median)
echo "startbench median $a ms, minimal window median $b ms, ratio $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
