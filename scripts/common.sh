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
    libgl-dev libusb-1.0-0-dev libcli11-dev nlohmann-json3-dev fonts-liberation
    fonts-dejavu-core)
# What the benchmarks in bench/ add (the window probe needs the X test extension's headers).
BENCH_PACKAGES=(libbenchmark-dev libx11-dev libxtst-dev)

# Starts a virtual X server for this script's run and points DISPLAY at it; it is stopped
# when the script exits, together with any pids listed in CLEANUP_PIDS.
CLEANUP_PIDS=()
# The programs first, the X server last, so no program sees its display vanish.
stop_cleanup_pids() {
    local i
    for ((i = ${#CLEANUP_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${CLEANUP_PIDS[i]}" 2>/dev/null || true
        wait "${CLEANUP_PIDS[i]}" 2>/dev/null || true
    done
}
start_virtual_display() {
    ensure_packages xvfb x11-utils
    local display=":$((90 + RANDOM % 100))"
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    CLEANUP_PIDS+=($!)
    trap stop_cleanup_pids EXIT
    export DISPLAY="$display"
    [ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$(mktemp -d)
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "the virtual X server did not start" >&2
    return 1
}
