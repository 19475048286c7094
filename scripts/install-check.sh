#!/usr/bin/env bash
# Proves an installed Tintwell is complete, using only what was installed:
#   scripts/install-check.sh BUILD_DIR [OUT_DIR]
# 1. installs BUILD_DIR into a temporary DESTDIR (prefix /usr, as the package);
# 2. runs the installed tintwell-cli convert, and the installed application
#    headless against the installed tintwell-sim, saving a screenshot
#    (OUT_DIR/tintwell-installed.png, OUT_DIR defaults to BUILD_DIR/install-check);
# 3. builds the Debian package and checks its contents and control fields;
# 4. validates the desktop entry and AppStream metadata, and runs lintian
#    where these tools are installed (each missing tool is named, not fatal).
# Exits non-zero on the first failed check, naming it.
set -euo pipefail
build=$(cd "${1:?usage: install-check.sh BUILD_DIR [OUT_DIR]}" && pwd)
out=${2:-$build/install-check}
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/demo-sim.sh"

app_id=com.torvainstruments.tintwell
icon_sizes="16 24 32 48 64 128 256"
work=$(mktemp -d "${TMPDIR:-/tmp}/tintwell-install.XXXXXX")
cleanup() {
    demo_sim_stop
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "install check FAILED: $*" >&2
    exit 1
}
mkdir -p "$out"

echo "== install into a temporary DESTDIR"
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install"; }
usr=$stage/usr
expected=(
    bin/tintwell bin/tintwell-cli bin/tintwell-sim
    share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
    share/man/man1/tintwell.1.gz share/man/man1/tintwell-cli.1.gz share/man/man1/tintwell-sim.1.gz
    share/doc/tintwell/copyright
)
for s in $icon_sizes; do expected+=("share/icons/hicolor/${s}x$s/apps/tintwell.png"); done
[ -d "$src/data/templates" ] && expected+=(share/tintwell/templates)
for f in "${expected[@]}"; do
    [ -e "$usr/$f" ] || fail "not installed: $f"
done
echo "installed: ${#expected[@]} expected files present"

echo "== installed tintwell-cli convert"
json=$("$usr/bin/tintwell-cli" convert --xyY 0.3127 0.329 100) || fail "tintwell-cli convert exited $?"
case $json in *'"bigY":100,'*'"temp":65'*) ;; *) fail "convert gave no Y of 100 near 6500 K: $json" ;; esac
echo "$json" | head -c 200
echo

echo "== installed application, headless, against the installed simulator"
home=$work/home
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
colorimeter=TV-40:INST0001
demo_remember_colorimeter "$XDG_CONFIG_HOME/TorvaInstruments/Tintwell.ini" "$colorimeter"
demo_sim_start "$usr/bin" "$work/sim" "$colorimeter" "$work/sim.log" --fast ||
    fail "installed tintwell-sim did not start"
demo_sim_say light xyY 0.3127 0.329 100 >/dev/null
shot=$out/tintwell-installed.png
rm -f "$shot"
# Started the way the desktop menu starts it.
exec_line=$(sed -n 's/^Exec=//p' "$usr/share/applications/$app_id.desktop")
[ -x "$usr/bin/${exec_line%% *}" ] || fail "the desktop entry runs '$exec_line', which was not installed"
if ! QT_QPA_PLATFORM=offscreen TINTWELL_EXTRA_PORTS="$DEMO_SIM_PORT" TINTWELL_DEMO_SECONDS=2 \
    TINTWELL_DEMO_CONNECT_MS=20000 TINTWELL_SCREENSHOT="$shot" \
    "$usr/bin/$exec_line" >"$work/app.log" 2>&1; then
    cat "$work/app.log"
    fail "installed tintwell did not connect the simulated colorimeter and show readings"
fi
demo_sim_stop
[ "$(head -c 8 "$shot" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "no PNG screenshot at $shot"
echo "screenshot: $shot"

echo "== Debian package"
command -v dpkg-deb >/dev/null || { echo "dpkg-deb not installed: package not checked"; exit 0; }
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/tintwell_*.deb)
cp "$deb" "$out/"
echo "package: $out/$(basename "$deb")"
listing=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do
    grep -q " \./usr/$f/\?\$" <<<"$listing" || fail "not in the package: /usr/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt5core5 libqt5gui5 libqt5widgets5 libqt5serialport5 libqt5network5; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
echo "Depends: $depends"

echo "== desktop entry, AppStream metadata, lintian"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
    echo "desktop-file-validate: ok"
else
    echo "desktop-file-validate not installed (desktop-file-utils): skipped"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$usr/share/metainfo/$app_id.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "appstreamcli not installed (appstream): skipped"
fi
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" >"$out/lintian.txt" 2>&1 ||
        { cat "$out/lintian.txt"; fail "lintian reported errors (see $out/lintian.txt)"; }
    cat "$out/lintian.txt"
    echo "lintian: no errors"
else
    echo "lintian not installed: skipped"
fi
echo "install check passed"
