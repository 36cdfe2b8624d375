#!/bin/bash
# Downloads a 1 GiB file of random bytes from vsftpd on loopback through the main window
# (offscreen, F5 on the marked row) RUNS times (default 3) and prints windowxferbench's figures
# of each run: the longest stall of the GUI thread and the strip's changes per progress tick.
# RATE (bytes per second, default 0: no limit) makes vsftpd send slower, so that the transfer
# lasts long enough for many ticks. Needs root (vsftpd, and the
# mount namespace its user lives in).
#   bench/ftp/window_xfer.sh [RUNS [RATE]]
set -euo pipefail

RUNS=${1:-3}
RATE=${2:-0}
VSFTPD_EXTRA="local_max_rate=$RATE"
BENCH=${WINDOWXFERBENCH:-$(dirname "$0")/../../build/bench/windowxferbench}
RESOURCES=$(cd "$(dirname "$0")/../../resources" && pwd)
WORK=${WORK:-/var/tmp/tarvo-windowxfer}
source "$(dirname "$0")/bench_vsftpd.sh"

bench_user
mkdir -p "$WORK/home" "$WORK/program" "$WORK/local"
chmod 755 "$WORK"
[ -s "$WORK/home/big.bin" ] || head -c 1073741824 /dev/urandom > "$WORK/home/big.bin"
chown -R "$BENCH_OWNER" "$WORK/home"
cp -r "$RESOURCES/." "$WORK/program"
start_vsftpd

for run in $(seq "$RUNS"); do
    rm -rf "$WORK/local/"* "$WORK/program/"*.dat
    sync
    HOME=$WORK/local TARVO_HOME=$WORK/program QT_QPA_PLATFORM=offscreen \
        "$BENCH" 127.0.0.1 "$PORT" "$BENCH_USER" "$BENCH_PASS" big.bin
    cmp "$WORK/local/big.bin" "$WORK/home/big.bin"
done
