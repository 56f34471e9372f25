#!/usr/bin/env bash
# Builds everything once and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

# locales: the German locale source the decimal-point tests compile for themselves.
# xvfb, x11-utils and xdotool: the tests of what a desktop shows run on a virtual X server.
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev desktop-file-utils locales \
    xvfb x11-utils xdotool
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

# Everything once more under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder
# of its own: the programs' start-up over the real library binding, the HEX reader's
# random edits and every other test.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_TESTS=ON \
    -DXT4830_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
