#pragma once

#include <cstdint>
#include <string_view>

// The board's ADC reads the DAC output chosen on its eight-input multiplexer as a 12-bit
// count against the reference the user gives.

// The multiplexer's one-hot mask for input index (0 = output A ... 7 = input H).
constexpr uint16_t muxMask(int index) {
    return static_cast<uint16_t>(1u << index);
}

// volts = count / 4096 x reference, the reference text read leniently (no number reads as 0).
// Not rounded and not limited: a count of 4096 or more gives more than the reference.
double adcVolts(int32_t count, std::string_view referenceText);
