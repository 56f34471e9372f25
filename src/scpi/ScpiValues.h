#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// Reading a unit's parameters as IEEE 488.2 writes them. Each reading gives its value or
// throws the ScpiError that says what is wrong; none depends on the locale.

// A decimal number (sign, digits, point, exponent: 1.5, -2E-3, .5e+0004) or a number in
// another base (#H8000, #B101, #Q17), optionally followed by a suffix from units (without
// one, a suffix is refused). Exponents are read by their value, whatever zeros lead them.
// units: the suffixes allowed and what each multiplies by, e.g. {"V", 1}, {"MV", 1e-3}.
struct UnitSuffix {
    std::string_view name;
    double scale;
};
double readScpiNumber(std::string_view text, std::span<const UnitSuffix> units = {});

// A number from minimum to maximum (-222 outside), read as above; MINimum, MAXimum and
// DEFault stand for those limits and the default, as SCPI has them.
struct NumericRange {
    double minimum;
    double maximum;
    double byDefault;
};
double readScpiNumber(std::string_view text, std::span<const UnitSuffix> units,
                      const NumericRange& range);
// The limit text names (MINimum, MAXimum or DEFault); nothing for other text.
std::optional<double> readScpiLimit(std::string_view text, const NumericRange& range);

// A whole number from 0 to max (a code, a register value): -222 outside, -224 with a
// fraction. MINimum is 0, MAXimum max, DEFault byDefault.
uint32_t readScpiWhole(std::string_view text, uint32_t max, uint32_t byDefault = 0);

// ON or 1, OFF or 0.
bool readScpiBoolean(std::string_view text);

// Which of names (written in the SCPI way, "NORMal": the capitals are the short form) the
// text gives, as its index.
int readScpiChoice(std::string_view text, std::span<const std::string_view> names);

// A channel list "(@1)", "(@1,3)", "(@1:4)" or "(@)": the channels from 1 up to last, each at
// most once, in the order given.
std::vector<int> readScpiChannels(std::string_view text, int last);

// Whether a mnemonic as sent (in any case) is the short or long form of name.
bool mnemonicMatches(std::string_view sent, std::string_view name);
