#!/usr/bin/env bash
# Time of `tintwell-cli ports` against the simulated bench at instrument
# speed: a silent serial port (a pseudo-terminal nobody answers on) beside
# the simulated colorimeter, CS-2000, PR-650 and BM-7. The first scan of each
# run starts with an empty port memory; the second finds each port's kind
# remembered. Ports the machine has of its own (/dev/ttyS*) are scanned too,
# as a user's scan would. Prints each run and the medians.
#
#   bench/devices/scan_ports.sh [--build DIR] [--runs N] [-- ARGS to ports, e.g. --all]
set -euo pipefail
cd "$(dirname "$0")/../.."

builddir=build/test
runs=5
while [ $# -gt 0 ]; do
    case $1 in
    --build) builddir=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "usage: $0 [--build DIR] [--runs N] [-- ports options]" >&2; exit 2 ;;
    esac
done
for tool in "$builddir/bin/tintwell-cli" "$builddir/bin/tintwell-sim" python3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
# Private settings and port memory: the user's own are never touched.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache

python3 -c '
import os, sys, time
master, slave = os.openpty()
print(os.ttyname(slave), flush=True)
time.sleep(86400)' >"$work/silent" &
pids+=($!)
mkfifo "$work/stdin"
sleep 86400 >"$work/stdin" &
pids+=($!)
"$builddir/bin/tintwell-sim" --dir "$work/sim" --reference CS-2000 --reference PR-650 \
    --reference BM-7 <"$work/stdin" >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    grep -q ready "$work/sim.out" 2>/dev/null && [ -s "$work/silent" ] && break
    sleep 0.1
done
grep -q ready "$work/sim.out" || { echo "the simulator did not start" >&2; exit 1; }
export TINTWELL_EXTRA_PORTS="$(head -1 "$work/silent"):$work/sim/colorimeter:$work/sim/cs2000:$work/sim/pr650:$work/sim/bm7"

scan() {
    local start end
    start=$(date +%s.%N)
    "$builddir/bin/tintwell-cli" ports "$@" >"$work/out.txt"
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

: >"$work/first"
: >"$work/second"
for run in $(seq "$runs"); do
    rm -rf "$XDG_CACHE_HOME"
    first=$(scan "$@")
    second=$(scan "$@")
    echo "run $run: first scan $first s, second scan $second s"
    echo "$first" >>"$work/first"
    echo "$second" >>"$work/second"
done
echo "found:"
cat "$work/out.txt"
echo "median: first scan $(median <"$work/first") s, second scan $(median <"$work/second") s"
