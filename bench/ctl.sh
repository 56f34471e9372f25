#!/usr/bin/env bash
# xt4830ctl on the virtual board, whole processes: a one-shot "read A" (median of RUNS starts,
# default 20), a sweep of all 65536 codes with a read-back each and a characterisation of the
# default grid, 1025 codes with 256 readings each, on a noisy board (medians of SWEEPS, default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target xt4830ctl BoardIo_library >/dev/null

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
# Milliseconds one run of the tool takes, its output thrown away.
timed() {
    local start end
    start=$(date +%s%N)
    build/program/xt4830ctl "$@" >/dev/null
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN {printf "%.2f\n", ns / 1e6}'
}

unset XT4830_VIRTUAL_TRACE
export XT4830_VIRTUAL_BOARD=
read_ms=$(for _ in $(seq "${RUNS:-20}"); do timed read A; done | median)
sweep_ms=$(for _ in $(seq "${SWEEPS:-5}"); do
    timed sweep A --from 0 --to 0xFFFF --step 1; done | median)
characterise_ms=$(for _ in $(seq "${SWEEPS:-5}"); do
    XT4830_VIRTUAL_BOARD=sigma=0.7 timed characterise A; done | median)
echo "xt4830ctl read A:               ${read_ms} ms (median of ${RUNS:-20})"
echo "xt4830ctl sweep of 65536 codes: ${sweep_ms} ms (median of ${SWEEPS:-5})"
echo "xt4830ctl characterise A:       ${characterise_ms} ms (median of ${SWEEPS:-5})"
