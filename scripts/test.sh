#!/usr/bin/env bash
# Builds everything once and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev desktop-file-utils
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
