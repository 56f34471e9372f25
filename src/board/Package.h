#pragma once

#include <cstdint>
#include <string_view>

// The packages of the chip the board may carry; the package fixes the chip's bus address.
enum class Package { Tssop, Lfcsp };

// 62 for the 14-lead TSSOP, 30 for the 10-lead LFCSP.
constexpr uint16_t busAddress(Package package) {
    return package == Package::Tssop ? 62 : 30;
}

// The package's name in files and on the command line.
constexpr std::string_view packageName(Package package) {
    return package == Package::Tssop ? "tssop" : "lfcsp";
}
