#!/usr/bin/env bash
# Builds the given benchmark targets (all of bench/ when none is named) in build/, installing
# what they need first: bench/build.sh request_bench && build/bench/request_bench
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_BENCHMARKS=ON >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(request_bench meter_bench plot_bench selftest_run bare_window window_probe)
cmake --build build -j"$(nproc)" --target "${targets[@]}" >/dev/null
