#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reading numbers from what the user typed. None of these depend on the desktop's locale: the
// decimal point is always '.'.

// The longest leading decimal number (optional sign, digits, one decimal point, optional
// exponent), blanks skipped. Text without one, and a number too large for a double, read as 0.
double readLenientDecimal(std::string_view text);

// The whole text, blanks around it aside, as a decimal number; nothing when it is not one
// (empty text included) or too large for a double.
std::optional<double> readStrictDecimal(std::string_view text);

// The whole text as an unsigned number in base 10 or 16: digits only, no sign, prefix or
// blank; nothing when it is not one or does not fit 64 bits.
std::optional<uint64_t> readWholeUnsigned(std::string_view text, int base);

// The hexadecimal digits at the start of the text, blanks skipped, up to the first other
// character, as an unsigned value; no digit reads as 0. For the four characters the field
// takes, 8000 to FFFF read as 32768 to 65535.
uint32_t readLeadingHex(std::string_view text);
