#!/usr/bin/env bash
# Builds the three programs and starts xt4830 on the virtual board, saying so. Without a display it runs the
# program on a virtual X server instead, presses OK in the package window, saves a screenshot
# of the main window and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target xt4830 xt4830-v2 xt4830ctl BoardIo_library \
    HBK_CYUSB_USB4_library

# The virtual board, with any settings already given; without it the program looks for a real
# board on USB.
export XT4830_VIRTUAL_BOARD="${XT4830_VIRTUAL_BOARD-}"
echo "Starting xt4830 on the virtual board (no hardware); see \"Using a real board\" in README.md"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/program/xt4830
fi

ensure_packages xdotool imagemagick
shot="${XT4830_SCREENSHOT:-$PWD/xt4830-main-window.png}"
start_virtual_display

build/program/xt4830 &
CLEANUP_PIDS+=($!)
# Wait for the package window, choose the default package and press OK (Tab, then space).
package=$(xdotool search --sync --onlyvisible --name '^XT4830R( \[virtual board\])?$' | head -n1)
xdotool windowfocus --sync "$package" key Tab space
main=$(xdotool search --sync --onlyvisible --name '^XT4830 Evaluation Software' | head -n1)
sleep 0.5  # let the first frame be painted
import -window "$main" "$shot"
echo "No display here: xt4830 ran on a virtual X server; screenshot of its main window: $shot"
