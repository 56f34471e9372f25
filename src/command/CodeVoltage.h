#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The data code of a 16-bit DAC and the voltage it stands for against a reference: the ideal
// transfer function, voltage = code x Vref / 65536, so full scale lies one step below Vref.

// The DAC's 16-bit codes: 0 to 65535.
inline constexpr int32_t kDacCodes = 65536;
inline constexpr int32_t kFullScaleCode = kDacCodes - 1;
inline constexpr int32_t kMidScaleCode = kDacCodes / 2;

// The ideal output for code: code x reference / 65536. Dividing the reference first is exact,
// so this is the plain product wherever that fits a double, and never overflows where it does
// not.
constexpr double idealVolts(int64_t code, double reference) {
    return static_cast<double>(code) * (reference / kDacCodes);
}

struct HexEntry {
    uint32_t code;            // goes into the data positions of the bit image
    std::string voltageText;  // "#0.00000000000000"
};

// The hexadecimal field was edited: its code, and the voltage against the reference text
// (read leniently, so text that is no number gives 0 V).
HexEntry hexToVoltage(std::string_view hexText, std::string_view vrefText);

struct VoltageEntry {
    uint32_t code;        // 0 to 65535
    std::string hexText;  // upper-case digits, no leading zeros
};

// The code nearest to volts against vref (halves to even): 0 for a negative voltage, full scale
// at and above the reference and for a reference of 0.
uint32_t voltsToCode(double volts, double vref);

// The voltage field was edited: the nearest code (halves to even) and its hexadecimal text.
// Nothing when the reference text is not a number: then nothing is to change.
std::optional<VoltageEntry> voltageToHex(std::string_view voltageText, std::string_view vrefText);

// A voltage with exactly 14 decimals and at least one digit before the point, rounded to the
// nearest 14th decimal with exact ties away from zero.
std::string formatVoltage(double volts);

// Rounds to the nearest integer, halves to the even neighbour.
double roundHalfEven(double value);
