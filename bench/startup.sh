#!/usr/bin/env bash
# Start-up time and memory of xt4830 on the virtual board against a bare Qt 6 window, each
# and against the same window showing one line of text, each started RUNS times (default 15) on a virtual X server; prints the medians.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
bench/build.sh xt4830 BoardIo_library bare_window window_probe

runs="${RUNS:-15}"
start_virtual_display
export XT4830_VIRTUAL_BOARD=

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
field() { sed -n "s/.*$1=\([0-9.-]*\).*/\1/p"; }

probe=build/bench/window_probe
bare=$(for _ in $(seq "$runs"); do "$probe" "Bare Qt window" -- build/bench/bare_window; done)
text=$(for _ in $(seq "$runs"); do
    "$probe" "Bare Qt window" -- build/bench/bare_window --text; done)
prog=$(for _ in $(seq "$runs"); do
    "$probe" XT4830R "XT4830 Evaluation Software" -- build/program/xt4830; done)

echo "bare Qt window:  launch $(echo "$bare" | field launch_ms | median) ms," \
     "resident $(echo "$bare" | field rss_kib | median) KiB"
echo "bare with text:  launch $(echo "$text" | field launch_ms | median) ms," \
     "resident $(echo "$text" | field rss_kib | median) KiB"
echo "xt4830:          launch to package window $(echo "$prog" | field launch_ms | median) ms," \
     "OK to visible main window $(echo "$prog" | field next_ms | median) ms," \
     "resident with main window $(echo "$prog" | field rss_kib | median) KiB"
