#!/usr/bin/env bash
# CPU used by Tintwell during live measurement: the simulated colorimeter at
# 16 readings a second (speed "fast", in instrument time), the x, y, Y
# readouts and the CIE 1931 chart shown, on an X server (Xvfb). Each run
# measures the application's own user + system time over the measuring
# window and prints it as a percentage of one core; the median ends the run.
#
#   bench/ui/cpu_live.sh [--build DIR] [--runs N] [--seconds S]
#
# DIR defaults to build/release (./run builds it). Needs xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/demo-sim.sh

builddir=build/release
runs=5
seconds=30
warmup=3 # s between the first reading and the start of the window
while [ $# -gt 0 ]; do
    case $1 in
    --build) builddir=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--runs N] [--seconds S]" >&2; exit 2 ;;
    esac
done
for tool in xvfb-run "$builddir/bin/tintwell" "$builddir/bin/tintwell-sim"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d)
cleanup() {
    demo_sim_stop
    rm -rf "$work"
}
trap cleanup EXIT
ticks_per_second=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks (fields 14 and 15; the name
# field holds no spaces for our binary).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

results=()
for run in $(seq "$runs"); do
    config="$work/config$run"
    ini="$config/TorvaInstruments/Tintwell.ini"
    mkdir -p "$(dirname "$ini")"
    printf '[General]\ntorvaSpeed=0\n[mainwindow]\ncomboUnits=0\ncomboChart=0\n' >"$ini"
    demo_remember_colorimeter "$ini" "TV-40:BENCH0001"
    demo_sim_start "$builddir/bin" "$work/sim$run" "TV-40:BENCH0001" "$work/sim.log"

    out="$work/out$run.txt"
    XDG_CONFIG_HOME="$config" TINTWELL_EXTRA_PORTS="$DEMO_SIM_PORT" \
        TINTWELL_DEMO_SECONDS=$((seconds + warmup + 2)) \
        xvfb-run -a -s "-screen 0 1600x1000x24" \
        sh -c '"$0" & echo $! >"$1"; wait $!' "$builddir/bin/tintwell" "$work/pid$run" \
        >"$out" 2>&1 &
    runner=$!

    for _ in $(seq 600); do
        grep -q "Demo: connected" "$out" 2>/dev/null && break
        kill -0 "$runner" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -q "Demo: connected" "$out"; then
        echo "run $run: Tintwell did not connect:" >&2
        cat "$out" >&2
        exit 1
    fi
    pid=$(cat "$work/pid$run")
    sleep "$warmup"
    t0=$(cpu_ticks "$pid")
    w0=$(date +%s.%N)
    sleep "$seconds"
    t1=$(cpu_ticks "$pid")
    w1=$(date +%s.%N)
    wait "$runner" || { echo "run $run: Tintwell failed:" >&2; cat "$out" >&2; exit 1; }
    demo_sim_stop

    # Readings per second over the whole measurement, as the window counted them.
    rate=$(awk '/readings\)$/ { gsub(/[()]/, "", $(NF-1)); n += $(NF-1); s++ }
                END { if (s) printf "%.1f", n / s; else print "?" }' "$out")
    percent=$(awk -v t="$((t1 - t0))" -v hz="$ticks_per_second" -v a="$w0" -v b="$w1" \
        'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }')
    echo "run $run: ${percent} % of one core over ${seconds} s (${rate} readings/s)"
    results+=("$percent")
done

median=$(printf '%s\n' "${results[@]}" | sort -g | awk '{ v[NR] = $1 }
    END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
echo "median: ${median} % of one core (${runs} runs, ${seconds} s each, CIE 1931 chart, Xvfb)"
