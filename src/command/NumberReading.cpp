#include "command/NumberReading.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The leading decimal number with the blanks taken out, and how much of the text it used. The
// number may end in an incomplete part ("1e", "-"), which parsing drops.
struct Leading {
    std::string number;
    std::size_t consumed;
};

Leading leadingNumber(std::string_view text) {
    std::string number;
    enum { Sign, Whole, Fraction, ExponentSign, Exponent } part = Sign;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isBlank(c)) continue;
        if (part == Sign && (c == '+' || c == '-')) {
            part = Whole;
        } else if ((part == Sign || part == Whole) && c == '.') {
            part = Fraction;
        } else if (part <= Fraction && isDigit(c)) {
            part = part == Sign ? Whole : part;
        } else if ((part == Whole || part == Fraction) && (c == 'e' || c == 'E') &&
                   number.find_first_of("0123456789") != std::string::npos) {
            part = ExponentSign;
        } else if ((part == ExponentSign && (c == '+' || c == '-')) ||
                   ((part == ExponentSign || part == Exponent) && isDigit(c))) {
            part = Exponent;
        } else {
            break;
        }
        number += c;
    }
    return {number, i};
}

// True when the decimal number (digits, an optional point and exponent, as collected above)
// lies below 1 in size: its first significant digit stands after the point once the exponent
// is applied. A number out of a double's range is then too small, else too large.
bool belowOne(std::string_view number) {
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return true;  // zero
    // The power of ten of the first significant digit.
    const long long place = first < point ? static_cast<long long>(point - first) - 1
                                          : -static_cast<long long>(first - point);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
            digits.remove_prefix(1);
        }
        // An exponent beyond any double's range decides alone; cap it to keep the sum exact.
        // Leading zeros go first, so that "1e-0000000000400" is still read as 1e-400.
        digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
        const std::string_view capped = digits.substr(0, 9);
        std::from_chars(capped.data(), std::to_address(capped.end()), exponent);
        if (negative) exponent = -exponent;
    }
    return place + exponent < 0;
}

// Parses the longest valid prefix of number, telling how much of it that was; nothing when
// there is none or it overflows.
std::optional<double> parse(const std::string& number, std::size_t* used = nullptr) {
    const char* begin = number.data();
    // from_chars takes no leading '+'.
    if (!number.empty() && number[0] == '+') ++begin;
    double value = 0;
    const auto [end, error] = std::from_chars(begin, std::to_address(number.end()), value);
    const auto length = static_cast<std::size_t>(end - number.data());
    if (used != nullptr) *used = length;
    if (error == std::errc::invalid_argument) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is no number.
        if (belowOne(std::string_view(number).substr(0, length))) return 0.0;
        return std::nullopt;
    }
    return value;
}

}  // namespace

double readLenientDecimal(std::string_view text) {
    return parse(leadingNumber(text).number).value_or(0.0);
}

std::optional<double> readStrictDecimal(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    const auto [number, consumed] = leadingNumber(text);
    // The number must be the whole text, with no blank inside it.
    if (consumed != text.size() || number.size() != text.size()) return std::nullopt;
    std::size_t used;
    const std::optional<double> value = parse(number, &used);
    if (!value || used != number.size()) return std::nullopt;
    return value;
}

uint32_t readLeadingHex(std::string_view text) {
    // The value is taken first as a 16-bit two's-complement number and, when negative, read
    // again as a larger positive one less the offset; for up to four digits that is simply
    // the unsigned value of the digits.
    uint32_t value = 0;
    for (const char c : text) {
        if (isBlank(c)) continue;
        const int digit = hexDigit(c);
        if (digit < 0) break;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

std::optional<uint64_t> readWholeUnsigned(std::string_view text, int base) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}
