#!/usr/bin/env bash
# The SCPI server on the virtual board: median round trips over loopback of *IDN?, of a write
# joined to its read-back and of the write-then-query loop through pyvisa-py and PyMeasure
# (QUERIES of each, default 1000), *IDN? through pyvisa-py over the raw socket and over VXI-11,
# and the server's resident memory. VXI-11 needs the port mapper: rpcbind is started when none
# runs.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}" python3 python3-pyvisa python3-pyvisa-py python3-pymeasure rpcbind
rpcinfo -p >/dev/null 2>&1 || rpcbind -w
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target xt4830ctl BoardIo_library >/dev/null
unset XT4830_VIRTUAL_TRACE
export XT4830_VIRTUAL_BOARD=
/usr/bin/python3 bench/scpi_roundtrip.py build/program/xt4830ctl "${QUERIES:-1000}"
