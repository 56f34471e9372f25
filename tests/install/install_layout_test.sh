#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the program directory and the links.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
dir="$prefix/lib/xt4830"
# The virtual board's image lies where the maker's goes; the driver for real boards refuses it.
files=(xt4830 xt4830-v2 xt4830ctl XT4830.hex libBoardIo.so usb-drivers/libHBK_CYUSB_USB4.so
    ../udev/rules.d/70-xt4830.rules)
for file in "${files[@]}"; do
    [ -e "$dir/$file" ] || { echo "missing $dir/$file"; exit 1; }
done
# Both libraries drive real boards (over libusb) and carry the virtual board.
for library in libBoardIo.so usb-drivers/libHBK_CYUSB_USB4.so; do
    readelf -d "$dir/$library" | grep -q 'NEEDED.*libusb-1\.0' \
        || { echo "$library does not drive USB boards"; exit 1; }
    nm -D --defined-only "$dir/$library" | grep -q ' xt4830_board_is_virtual$' \
        || { echo "$library does not tell its kind of board"; exit 1; }
done
# The logged-in user and the plugdev group may open the board, before and after its firmware.
rule="$prefix/lib/udev/rules.d/70-xt4830.rules"
[ "$(grep -c 'GROUP="plugdev".*TAG+="uaccess"' "$rule")" = 2 ] \
    || { echo "the udev rule does not give plugdev and the logged-in user the board"; exit 1; }
for exe in xt4830 xt4830-v2 xt4830ctl; do
    [ "$(readlink -f "$prefix/bin/$exe")" = "$(readlink -f "$dir/$exe")" ] \
        || { echo "$prefix/bin/$exe does not lead to $dir/$exe"; exit 1; }
    for built in "$dir/$exe" "$build/program/$exe"; do
        readelf -d "$built" | grep -q 'RUNPATH.*\[\$ORIGIN\]' \
            || { echo "$built: the run path must be exactly \$ORIGIN"; exit 1; }
    done
done
# The command-line tool runs without a display: no Qt at all.
if readelf -d "$dir/xt4830ctl" | grep NEEDED | grep -q -i qt; then
    echo "xt4830ctl must not link Qt"; exit 1
fi
# The manual pages, compressed.
for page in xt4830ctl xt4830 xt4830-v2; do
    zcat "$prefix/share/man/man1/$page.1.gz" | grep -q '^\.TH' || { echo "no manual page $page"; exit 1; }
done
# Its bash completion, which asks the installed tool for the subcommands and their options.
completion="$prefix/share/bash-completion/completions/xt4830ctl"
[ -f "$completion" ] || { echo "missing the bash completion"; exit 1; }
offered=$(bash -c ". '$completion'; COMP_WORDS=('$dir/xt4830ctl' read --int); COMP_CWORD=2;
    _xt4830ctl; echo \"\${COMPREPLY[*]}\"")
[ "$offered" = "--interval" ] || { echo "completion offered \"$offered\" for read --int"; exit 1; }
offered=$(bash -c ". '$completion'; COMP_WORDS=('$dir/xt4830ctl' sw); COMP_CWORD=1;
    _xt4830ctl; echo \"\${COMPREPLY[*]}\"")
[ "$offered" = "sweep" ] || { echo "completion offered \"$offered\" for sw"; exit 1; }
# The menu entries and their icon.
for entry in xt4830 xt4830-v2; do
    desktop="$prefix/share/applications/$entry.desktop"
    [ -f "$desktop" ] || { echo "missing $desktop"; exit 1; }
    grep -q "^Exec=$entry$" "$desktop" || { echo "$desktop does not start $entry"; exit 1; }
    desktop-file-validate "$desktop" || { echo "$desktop is not valid"; exit 1; }
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/xt4830.svg" ] || { echo "missing icon"; exit 1; }
echo "install layout: 1 passed, 0 failed"
