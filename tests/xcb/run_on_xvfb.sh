#!/usr/bin/env bash
# Runs a test program on a virtual X server of its own, on Qt's xcb platform, where window
# titles, focus and real key and mouse events are what a desktop shows.
set -euo pipefail
for _ in $(seq 20); do
    display=":$((200 + RANDOM % 300))"
    [ -e "/tmp/.X11-unix/X${display#:}" ] || break
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$(mktemp -d)
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$@"
