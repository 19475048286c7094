#!/usr/bin/env bash
# Runs every libFuzzer target for the given number of seconds (default 60),
# growing the corpora in fuzz/corpus/<name>/. Needs clang.
#   scripts/fuzz.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
builddir=build/fuzz
if [ ! -f "$builddir/CMakeCache.txt" ]; then
    CXX=clang++ CC=clang cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTINTWELL_FUZZ=ON -DTINTWELL_BUILD_BENCH=OFF
fi
cmake --build "$builddir" -j "$(nproc)"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for f in fuzz/fuzz_*.cpp; do n=$(basename "$f" .cpp); names+=("${n#fuzz_}"); done
fi
for n in "${names[@]}"; do
    mkdir -p "fuzz/corpus/$n"
    echo "== fuzzing $n for ${seconds}s"
    "$builddir/bin/fuzz_$n" -max_total_time="$seconds" -rss_limit_mb=1024 -max_len=8192 "fuzz/corpus/$n"
done
