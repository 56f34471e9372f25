#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the program directory and the links.
set -euo pipefail
build="$1"
board="${2:-virtual}"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
dir="$prefix/lib/xt4830"
files=(xt4830 xt4830-v2 xt4830ctl libBoardIo.so usb-drivers/libHBK_CYUSB_USB4.so
    ../udev/rules.d/70-xt4830.rules)
# The virtual board ships its image; for a real board the user puts the maker's there.
[ "$board" = virtual ] && files+=(XT4830.hex)
for file in "${files[@]}"; do
    [ -e "$dir/$file" ] || { echo "missing $dir/$file"; exit 1; }
done
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
