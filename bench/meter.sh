#!/usr/bin/env bash
# The cost of one meter reading over loopback: the virtual meter (no delay per reading) served
# by an xt4830ctl that holds the virtual board open, read by build/bench/meter_bench.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
bench/build.sh meter_bench
cmake --build build -j"$(nproc)" --target xt4830ctl BoardIo_library >/dev/null
port=${PORT:-15025}
XT4830_VIRTUAL_BOARD="meter=$port,probe=C" build/program/xt4830ctl serve --listen "127.0.0.1:$((port + 1))" \
    >/dev/null 2>&1 &
CLEANUP_PIDS+=($!)
trap stop_cleanup_pids EXIT
sleep 0.5
XT4830_BENCH_METER="TCPIP::127.0.0.1::$port::SOCKET" build/bench/meter_bench \
    --benchmark_min_time=2
