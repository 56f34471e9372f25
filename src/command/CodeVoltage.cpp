#include "command/CodeVoltage.h"

#include <array>
#include <charconv>
#include <cmath>

#include "command/NumberReading.h"

namespace {

constexpr int kDecimals = 14;
constexpr double kSteps = kDacCodes;
constexpr double kFullScale = kFullScaleCode;

// Adds one unit in the last place to a string of digits and at most one '.', carrying left.
void incrementLastDigit(std::string& digits) {
    for (auto i = digits.size(); i-- > 0;) {
        if (digits[i] == '.') continue;
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

std::string upperHex(uint32_t code) {
    std::array<char, 8> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), code, 16).ptr;
    std::string hex(text.data(), end);
    for (char& c : hex)
        c = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
    return hex;
}

}  // namespace

std::string formatVoltage(double volts) {
    // The exact decimal expansion of the double decides whether it is a tie; no double has
    // more than 1074 digits after the point.
    static thread_local std::array<char, 1500> exact;
    const double magnitude = std::fabs(volts);
    const auto end = std::to_chars(exact.data(), exact.data() + exact.size(), magnitude,
                                   std::chars_format::fixed, 1074)
                         .ptr;
    const std::string_view full(exact.data(), end);
    const std::size_t point = full.find('.');
    std::string rounded(full.substr(0, point + 1 + kDecimals));
    const std::string_view rest = full.substr(point + 1 + kDecimals);
    // Rounding the magnitude half up sends exact ties away from zero.
    if (rest[0] >= '5') incrementLastDigit(rounded);
    const bool zero = rounded.find_first_not_of("0.") == std::string::npos;
    return (volts < 0 && !zero ? "-" : "") + rounded;
}

double roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return floor + 1;
    if (fraction < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

HexEntry hexToVoltage(std::string_view hexText, std::string_view vrefText) {
    const uint32_t code = readLeadingHex(hexText);
    const double vref = readLenientDecimal(vrefText);
    return {code, formatVoltage(idealVolts(code, vref))};
}

uint32_t voltsToCode(double volts, double vref) {
    double q = kFullScale;
    if (vref != 0) {
        // Divided first: a voltage and a reference near a double's limit must not overflow
        // on the way (scaling by 65536 is exact, so the quotient is the same either way).
        q = volts / vref * kSteps;
        if (volts < 0) q = 0;
        if (q > kFullScale) q = kFullScale;
        // A negative reference gives a negative quotient: below zero scale, like a negative
        // voltage, so the code can never reach into the command word's other fields.
        if (!(q >= 0)) q = 0;
    }
    return static_cast<uint32_t>(roundHalfEven(q));
}

std::optional<VoltageEntry> voltageToHex(std::string_view voltageText, std::string_view vrefText) {
    const std::optional<double> vref = readStrictDecimal(vrefText);
    if (!vref) return std::nullopt;
    const uint32_t code = voltsToCode(*vref != 0 ? readLenientDecimal(voltageText) : 0, *vref);
    return VoltageEntry{code, upperHex(code)};
}
