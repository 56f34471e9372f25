#!/usr/bin/env bash
# Runs a test program on a virtual X server of its own, on Qt's xcb platform, where window
# titles, focus and real key and mouse events are what a desktop shows.
set -euo pipefail
. "$(dirname "$0")/../../scripts/common.sh"
start_xvfb
trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$(mktemp -d)
QT_QPA_PLATFORM=xcb "$@"
