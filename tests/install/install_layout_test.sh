#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the program directory and the links.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
dir="$prefix/lib/xt4830"
for file in xt4830 xt4830-v2 XT4830.hex libBoardIo.so usb-drivers/libHBK_CYUSB_USB4.so; do
    [ -e "$dir/$file" ] || { echo "missing $dir/$file"; exit 1; }
done
for exe in xt4830 xt4830-v2; do
    [ "$(readlink -f "$prefix/bin/$exe")" = "$(readlink -f "$dir/$exe")" ] \
        || { echo "$prefix/bin/$exe does not lead to $dir/$exe"; exit 1; }
    readelf -d "$dir/$exe" | grep -q 'RUNPATH.*\$ORIGIN' \
        || { echo "$exe lacks RUNPATH \$ORIGIN"; exit 1; }
done
echo "install layout: 1 passed, 0 failed"
