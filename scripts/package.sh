#!/usr/bin/env bash
# Builds the Debian package: a Release build for /usr in build/package, then
# CPack. Prints the package's path; install it with
#   sudo apt install ./build/package/tintwell_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
builddir=build/package
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$builddir/CMakeCache.txt" ]; then
    cmake -S . -B "$builddir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX=/usr -DTINTWELL_BUILD_TESTS=OFF -DTINTWELL_BUILD_BENCH=OFF
fi
cmake --build "$builddir" -j "$(nproc)"
cmake --build "$builddir" --target package
ls "$PWD/$builddir"/tintwell_*.deb
