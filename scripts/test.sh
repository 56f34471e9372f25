#!/usr/bin/env bash
# Builds everything once and runs every test, then the house checks.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

# locales: the German locale source the decimal-point tests compile for themselves.
# xvfb, x11-utils and xdotool: the tests of what a desktop shows run on a virtual X server.
# clang-format and clang-tidy: the house checks below.
# python3 with pytest, pyvisa (its own socket backend) and PyMeasure: the SCPI server's clients.
# dpkg-dev, file and lintian: the Debian package's test makes the package and checks it.
# umockdev, its introspection data and python3-gi: the USB driver's test against an emulated board.
# rpcbind and lxi-tools: VXI-11's port mapper and a second VXI-11 client; avahi-daemon,
# avahi-utils and dbus: the announcement's test (it starts the bus and the daemon itself).
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" libgtest-dev libgmock-dev \
    desktop-file-utils locales xvfb x11-utils xdotool clang-format clang-tidy dpkg-dev file lintian \
    python3 python3-pytest python3-pyvisa python3-pyvisa-py python3-pymeasure \
    umockdev gir1.2-umockdev-1.0 python3-gi rpcbind lxi-tools \
    avahi-daemon avahi-utils dbus
# The port mapper VXI-11 registers with: started when none runs (a fresh machine or container).
rpcinfo -p >/dev/null 2>&1 || rpcbind -w

# Every C++ file of the project formatted as .clang-format says.
sources() { find src drivers tests bench \( -name '*.cpp' -o -name '*.h' \) -print0; }
echo "Checking the format ..."
sources | xargs -0 clang-format --dry-run --Werror

# One build of everything, benchmarks included, with warnings as errors.
# Line tables are all a failing test's backtrace needs; full debug information would take a
# third of the build's time.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_TESTS=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DXT4830_BUILD_BENCHMARKS=ON -DXT4830_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

# clang-tidy over the program and the drivers, with the checks of .clang-tidy; any finding fails.
echo "Running clang-tidy ..."
find src drivers -name '*.cpp' -print0 |
    xargs -0 run-clang-tidy -quiet -p build -j"$(nproc)" >build/clang-tidy.log 2>&1 || {
    grep -E '(warning|error): ' build/clang-tidy.log >&2 || cat build/clang-tidy.log >&2
    exit 1
}

# Everything once more under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder
# of its own: the programs' start-up over the real library binding, the HEX reader's
# random edits and every other test. (Not with warnings as errors: the sanitizers' instrumentation
# makes gcc warn of things the plain build has already been held to.) The meter tests run the
# tool under umockdev, whose preload library comes before the sanitizer's runtime: ASan is told
# not to refuse that order.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT4830_BUILD_TESTS=ON \
    -DXT4830_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
