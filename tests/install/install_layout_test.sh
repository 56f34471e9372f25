#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the program directory and the links.
set -euo pipefail
build="$1"
board="${2:-virtual}"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
dir="$prefix/lib/xt4830"
files=(xt4830 xt4830-v2 libBoardIo.so usb-drivers/libHBK_CYUSB_USB4.so)
# The virtual board ships its image; for a real board the user puts the maker's there.
[ "$board" = virtual ] && files+=(XT4830.hex)
[ "$board" = usb ] && files+=(../udev/rules.d/70-xt4830.rules)
for file in "${files[@]}"; do
    [ -e "$dir/$file" ] || { echo "missing $dir/$file"; exit 1; }
done
for exe in xt4830 xt4830-v2; do
    [ "$(readlink -f "$prefix/bin/$exe")" = "$(readlink -f "$dir/$exe")" ] \
        || { echo "$prefix/bin/$exe does not lead to $dir/$exe"; exit 1; }
    readelf -d "$dir/$exe" | grep -q 'RUNPATH.*\$ORIGIN' \
        || { echo "$exe lacks RUNPATH \$ORIGIN"; exit 1; }
done
echo "install layout: 1 passed, 0 failed"
