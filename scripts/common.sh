# Sourced by the other scripts: installing missing packages, a virtual X server.
ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building the program needs.
BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
    libgl-dev libusb-1.0-0-dev libcli11-dev nlohmann-json3-dev liblxi-dev libtirpc-dev
    rpcsvc-proto libavahi-client-dev fonts-liberation fonts-dejavu-core)
# What the benchmarks in bench/ add (the window probe needs the X test extension's headers).
BENCH_PACKAGES=(libbenchmark-dev libx11-dev libxtst-dev)

CLEANUP_PIDS=()
# The programs first, the X server last, so no program sees its display vanish.
stop_cleanup_pids() {
    local i
    for ((i = ${#CLEANUP_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${CLEANUP_PIDS[i]}" 2>/dev/null || true
        wait "${CLEANUP_PIDS[i]}" 2>/dev/null || true
    done
}
# Starts Xvfb on a display that no other X server holds: Xvfb takes the first free number
# itself and writes it to the descriptor given by -displayfd once it accepts connections, so
# a display in use is never taken over. It stays up when its last client leaves (-noreset), so
# the next one finds it. Sets DISPLAY and XVFB_PID; fails when no server came up.
start_xvfb() {
    local number_file number=""
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ "$(wc -l <"$number_file")" -ge 1 ] && break  # the whole line is written
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    number=$(head -n 1 "$number_file")
    rm -f "$number_file"
    if ! [[ "$number" =~ ^[0-9]+$ ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        echo "the virtual X server did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

# Starts a virtual X server for this script's run and points DISPLAY at it; it is stopped
# when the script exits, together with any pids listed in CLEANUP_PIDS.
start_virtual_display() {
    ensure_packages xvfb x11-utils
    trap stop_cleanup_pids EXIT
    start_xvfb || return 1
    CLEANUP_PIDS+=("$XVFB_PID")
    [ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$(mktemp -d)
}
