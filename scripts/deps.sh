#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build, the tests and the demo need,
# but only those that are missing. Sourced by ./run and ./test.
set -euo pipefail

TINTWELL_PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config clang-format python3
    qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev qttools5-dev-tools
    libgtest-dev libgmock-dev libbenchmark-dev liblcms2-dev
    xvfb xauth poppler-utils
    file desktop-file-utils appstream lintian
)

missing=()
for p in "${TINTWELL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    return 0 2>/dev/null || exit 0
fi

echo "Installing missing packages: ${missing[*]}"
install_line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sh -c "$install_line"
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo sh -c "$install_line"
elif command -v sudo >/dev/null 2>&1 && [ -t 0 ]; then
    sudo sh -c "$install_line"
else
    echo "Cannot install packages (not root and no sudo). Please run as root:" >&2
    echo "  $install_line" >&2
    exit 1
fi
