#!/usr/bin/env bash
# Builds everything once and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

# locales: the German locale source the decimal-point tests compile for themselves.
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev desktop-file-utils locales
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
