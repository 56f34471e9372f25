#pragma once

#include <cstdint>

class Declare;

// The board's ADC reads the DAC output chosen on its eight-input multiplexer (inputs A to D
// are the DAC outputs) as a 12-bit count.

inline constexpr int kMuxInputs = 8;

// The ADC's 12-bit counts: 0 to 4095.
inline constexpr int32_t kAdcCounts = 4096;
inline constexpr int32_t kTopCount = kAdcCounts - 1;

// The multiplexer's one-hot mask for input index (0 = output A ... 7 = input H).
constexpr uint16_t muxMask(int index) {
    return static_cast<uint16_t>(1u << index);
}

// volts = count / 4096 x reference. Not rounded and not limited: a count of 4096 or more gives
// more than the reference.
double adcVolts(int32_t count, double reference);

// The set-up the board's ADC takes after every opening of the board: value 18, index 72.
void configureAdc(Declare& requests);
