#!/usr/bin/env bash
# Remakes the README's pictures: the package window, the main window with a command composed
# and written (write and update DAC B with 8000) and DAC B read back by the monitor, and the
# plot window after a sweep.
# Runs the real program on a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}" xdotool imagemagick
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target xt4830 BoardIo_library >/dev/null

start_virtual_display
export XT4830_VIRTUAL_BOARD=

build/program/xt4830 &
CLEANUP_PIDS+=($!)
package=$(xdotool search --sync --onlyvisible --name '^XT4830R( \[virtual board\])?$' | head -n1)
sleep 0.3
import -window "$package" docs/package-window.png
xdotool windowfocus --sync "$package" key Tab space
main=$(xdotool search --sync --onlyvisible --name '^XT4830 Evaluation Software' | head -n1)
sleep 0.3
# Window coordinates of the controls: the client area starts below the menu bar.
menu=$(( $(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 448 ))
at() { xdotool mousemove --window "$main" "$1" $(( $2 + menu )) click 1; sleep 0.2; }
at 34 286    # Write to and Update DAC channel n
at 304 242   # DAC B
at 516 225   # the hexadecimal field
xdotool key ctrl+a type --delay 60 8000
at 613 411   # Write to Part
at 642 48    # the monitor's input B: reads DAC B back
sleep 0.3
import -window "$main" docs/main-window.png
# Tools > Read-back Plot..., the Sweep page, Start: a sweep of output A against its ideal line.
xdotool windowfocus --sync "$main" key alt+t Return
plot=$(xdotool search --sync --onlyvisible --name '^Read-back Plot$' | head -n1)
# The whole window on the virtual screen (1024x768).
xdotool windowmove "$plot" 0 0 windowsize "$plot" 1020 680
sleep 0.3
xdotool mousemove --window "$plot" 130 24 click 1
sleep 0.3
xdotool mousemove --window "$plot" 61 313   # Start
sleep 0.3
xdotool click 1
sleep 1.5
import -window "$plot" docs/plot-window.png
echo "made docs/package-window.png, docs/main-window.png and docs/plot-window.png"
