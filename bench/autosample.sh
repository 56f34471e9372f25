#!/usr/bin/env bash
# Auto sampling against the virtual board: starts xt4830 on a virtual X server, turns Auto
# Sample on, lets TICKS (default 60) ticks go by, and reports the program's share of one core
# over that time and how far the periods between samples stray from 1000 ms.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}" xdotool
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target xt4830 BoardIo_library >/dev/null
start_virtual_display

ticks="${TICKS:-60}"
trace=$(mktemp)
XT4830_VIRTUAL_BOARD=trace-times XT4830_VIRTUAL_TRACE="$trace" build/program/xt4830 &
pid=$!
CLEANUP_PIDS+=("$pid")
package=$(xdotool search --sync --onlyvisible --name '^XT4830R( \[virtual board\])?$' | head -n1)
xdotool windowfocus --sync "$package" key Tab space
main=$(xdotool search --sync --onlyvisible --name '^XT4830 Evaluation Software' | head -n1)
sleep 0.5
# "Auto Sample" in the ADC frame, below the menu bar.
menu=$(( $(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 448 ))
xdotool mousemove --window "$main" 522 $(( 100 + menu )) click 1

cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }  # user + system, in clock ticks
hz=$(getconf CLK_TCK)
sleep 0.5
before=$(cpu); t0=$(date +%s.%N)
sleep $(( ticks + 2 ))
after=$(cpu); t1=$(date +%s.%N)

grep 'code=0xDA, value=0x0000, index=0x0000, direction=1' "$trace" \
    | sed "s/^\\[\\([0-9.]*\\)\\].*/\\1/" | tail -n +2 | tail -n "$(( ticks + 1 ))" \
    | awk -v cpu="$(( after - before ))" -v hz="$hz" -v secs="$(echo "$t1 - $t0" | bc)" '
        NR > 1 { d = ($1 - prev) * 1000; n++; if (d < min || n == 1) min = d; if (d > max) max = d;
                 dev = d - 1000; if (dev < 0) dev = -dev; if (dev > worst) worst = dev }
        { prev = $1 }
        END { printf "auto sampling: %d periods, %.1f to %.1f ms (at most %.1f ms from 1000 ms);", n, min, max, worst
              printf " CPU %.2f%% of one core over %.0f s\n", 100 * cpu / hz / secs, secs }'
[ -n "${KEEP_TRACE:-}" ] && cp "$trace" "$KEEP_TRACE"
rm -f "$trace"
