#!/usr/bin/env bash
# Makes the Debian package from the build tree as it stands (nothing is compiled again), has
# lintian check it, unpacks it into a scratch root and starts the programs installed there.
set -euo pipefail
build=$(realpath "$1")
. "$(dirname "$0")/../../scripts/common.sh"
scratch=$(mktemp -d)
XVFB_PID=""
cleanup() {
    [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "debian package: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$scratch"/out/xt4830_*.deb)
ddeb=$(ls "$scratch"/out/xt4830-dbgsym_*.ddeb) || fail "no package of debug symbols"

lintian --fail-on error,warning "$deb" "$ddeb" || fail "lintian found errors or warnings"

root="$scratch/root"
dpkg -x "$deb" "$root"
lib="$root/usr/lib/xt4830"
for binary in xt4830 xt4830-v2 xt4830ctl libBoardIo.so usb-drivers/libHBK_CYUSB_USB4.so; do
    sections=$(readelf -S "$lib/$binary")
    [[ "$sections" != *.symtab* && "$sections" != *.debug_* ]] || fail "$binary is not stripped"
done
# The dependencies are those of the libraries linked, with their versions: the driver
# libraries drive real boards over libusb.
depends=$(dpkg-deb -f "$deb" Depends)
needed=(libc6 libstdc++6 libqt6widgets6 libqt6charts6 libusb-1.0-0)
for library in "${needed[@]}"; do
    [[ ", $depends" == *", $library (>= "[0-9]* ]] || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "qt6-wayland is not recommended"

[ -f "$root/usr/lib/udev/rules.d/70-xt4830.rules" ] || fail "no udev rule"
[[ "$(zcat "$root/usr/share/doc/xt4830/changelog.Debian.gz")" == "xt4830 ("* ]] || fail "no changelog"

# The installed programs start: the tool on the installed board, each window on an X server.
unset LD_LIBRARY_PATH XT4830_VIRTUAL_BOARD
version=$("$root/usr/bin/xt4830ctl" --version)
[ "$version" = "xt4830ctl 1.0.2 (XT4830, driver library libBoardIo.so)" ] || fail "$version"
# No board here: the USB driver finds none, and says how to try the virtual board.
status=0
"$root/usr/bin/xt4830ctl" read A 2>"$scratch/read.err" || status=$?
[ "$status" = 3 ] || fail "read A without a board ended with status $status"
grep -q 'no XT4830R evaluation board on USB' "$scratch/read.err" || fail "$(cat "$scratch/read.err")"
grep -q -- '--board virtual' "$scratch/read.err" || fail "no word of the virtual board"
# The virtual board by name: it reads, and says it is virtual.
sample=$(XT4830_VIRTUAL_BOARD= "$root/usr/bin/xt4830ctl" read A) || fail "read A failed"
[[ "$sample" =~ \ A\ \ 0\ \ 0\.000000$ ]] || fail "read A gave \"$sample\""
version=$("$root/usr/bin/xt4830ctl" --board virtual --version)
[[ "$version" == *", virtual board)" ]] || fail "$version"
start_xvfb
export XDG_RUNTIME_DIR="$scratch"
for program in xt4830 xt4830-v2; do
    QT_QPA_PLATFORM=xcb "$root/usr/bin/$program" >"$scratch/$program.log" 2>&1 &
    window=$!
    shown=no
    for _ in $(seq 100); do
        xwininfo -root -tree | grep -q '"XT4830R"' && { shown=yes; break; }
        kill -0 "$window" 2>/dev/null || break
        sleep 0.1
    done
    kill "$window" 2>/dev/null || true
    wait "$window" 2>/dev/null || true
    [ "$shown" = yes ] || { cat "$scratch/$program.log" >&2; fail "$program showed no window"; }
done
echo "debian package: 1 passed, 0 failed"
