#include "scpi/ScpiValues.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "scpi/ScpiStatus.h"

namespace {

// IEEE 488.2 allows a receiver to refuse more digits than this, and exponents beyond 32000.
constexpr std::size_t kMostDigits = 255;
constexpr long kLargestExponent = 32000;

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string upperText(std::string_view text) {
    std::string result;
    for (const char c : text)
        result += upper(c);
    return result;
}

// The kind of data a parameter is, by its first character, for the "not allowed" errors.
void refuseOtherKinds(std::string_view text, bool characterAllowed) {
    const char first = text.front();
    if (first == '"' || first == '\'') throw ScpiError{kStringDataNotAllowed, std::string(text)};
    if (first == '(') throw ScpiError{kExpressionDataNotAllowed, std::string(text)};
    if (first == '#' && text.size() > 1 && isDigit(text[1]))
        throw ScpiError{kBlockDataNotAllowed, std::string(text)};
    if (!characterAllowed && std::isalpha(static_cast<unsigned char>(first)) != 0)
        throw ScpiError{kCharacterDataNotAllowed, std::string(text)};
}

// "#H8000", "#B101", "#Q17".
double readOtherBase(std::string_view text) {
    const char base = text.size() > 1 ? upper(text[1]) : '\0';
    const int radix = base == 'H' ? 16 : base == 'B' ? 2 : base == 'Q' ? 8 : 0;
    if (radix == 0) throw ScpiError{kInvalidCharacterInNumber, std::string(text)};
    const std::string_view digits = text.substr(2);
    if (digits.empty()) throw ScpiError{kInvalidCharacterInNumber, std::string(text)};
    if (digits.size() > kMostDigits) throw ScpiError{kTooManyDigits, std::string(text)};
    uint64_t value = 0;
    const auto [end, problem] = std::from_chars(digits.begin(), digits.end(), value, radix);
    if (end != digits.end()) throw ScpiError{kInvalidCharacterInNumber, std::string(text)};
    if (problem == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
    return static_cast<double>(value);
}

struct DecimalParts {
    std::string mantissa;  // sign, digits and point as sent
    long exponent = 0;     // its value, limited to beyond kLargestExponent
    std::size_t length = 0;
};

// The decimal number at the start of text; its length is 0 when there is none.
DecimalParts scanDecimal(std::string_view text) {
    DecimalParts parts;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') ++i;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (digits == 0) return parts;
    if (digits > kMostDigits) throw ScpiError{kTooManyDigits, std::string(text)};
    parts.mantissa = text.substr(0, i);
    parts.length = i;
    std::size_t e = i;
    while (e < text.size() && text[e] == ' ')
        ++e;
    if (e >= text.size() || upper(text[e]) != 'E') return parts;
    std::size_t j = e + 1;
    while (j < text.size() && text[j] == ' ')
        ++j;
    const bool negative = j < text.size() && text[j] == '-';
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j >= text.size() || !isDigit(text[j]))
        throw ScpiError{kInvalidCharacterInNumber, std::string(text)};
    long exponent = 0;
    for (; j < text.size() && isDigit(text[j]); ++j)
        exponent = std::min(exponent * 10 + (text[j] - '0'), kLargestExponent + 1);
    if (exponent > kLargestExponent) throw ScpiError{kExponentTooLarge, std::string(text)};
    parts.exponent = negative ? -exponent : exponent;
    parts.length = j;
    return parts;
}

double decimalValue(const DecimalParts& parts) {
    const std::string text = parts.mantissa + "e" + std::to_string(parts.exponent);
    const char* begin = text.c_str() + (text.front() == '+' ? 1 : 0);
    double value = 0;
    const auto [end, problem] = std::from_chars(begin, text.c_str() + text.size(), value);
    if (problem != std::errc::result_out_of_range) return value;
    // Beyond a double: with at most 255 digits, a positive exponent can only overflow and a
    // negative one only underflow.
    const double size = parts.exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return parts.mantissa.front() == '-' ? -size : size;
}

// The shortest text that reads back as value.
std::string shortest(double value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return {text.data(), result.ptr};
}

double applySuffix(double value, std::string_view suffix, std::span<const UnitSuffix> units) {
    if (suffix.empty()) return value;
    if (units.empty()) throw ScpiError{kSuffixNotAllowed, std::string(suffix)};
    const std::string sent = upperText(suffix);
    const auto unit = std::find_if(units.begin(), units.end(),
                                   [&sent](const UnitSuffix& u) { return u.name == sent; });
    if (unit == units.end()) throw ScpiError{kInvalidSuffix, std::string(suffix)};
    return value * unit->scale;
}

}  // namespace

double readScpiNumber(std::string_view text, std::span<const UnitSuffix> units) {
    if (text.empty()) throw ScpiError{kMissingParameter, "a number is missing"};
    refuseOtherKinds(text, false);
    if (text.front() == '#') return readOtherBase(text);
    const DecimalParts parts = scanDecimal(text);
    if (parts.length == 0) throw ScpiError{kInvalidCharacterInNumber, std::string(text)};
    std::string_view suffix = text.substr(parts.length);
    while (!suffix.empty() && suffix.front() == ' ')
        suffix.remove_prefix(1);
    return applySuffix(decimalValue(parts), suffix, units);
}

std::optional<double> readScpiLimit(std::string_view text, const NumericRange& range) {
    constexpr std::array<std::string_view, 3> kLimits = {"MINimum", "MAXimum", "DEFault"};
    const std::array<double, 3> limits = {range.minimum, range.maximum, range.byDefault};
    for (std::size_t i = 0; i < limits.size(); ++i) {
        if (mnemonicMatches(text, kLimits.at(i))) return limits.at(i);
    }
    return std::nullopt;
}

double readScpiNumber(std::string_view text, std::span<const UnitSuffix> units,
                      const NumericRange& range) {
    if (const auto limit = readScpiLimit(text, range)) return *limit;
    const double value = readScpiNumber(text, units);
    if (!(value >= range.minimum && value <= range.maximum)) {
        throw ScpiError{kDataOutOfRange, std::string(text) + " is outside " +
                                             shortest(range.minimum) + " to " +
                                             shortest(range.maximum)};
    }
    return value;
}

uint32_t readScpiWhole(std::string_view text, uint32_t max, uint32_t byDefault) {
    const double value = readScpiNumber(text, {}, {0, double(max), double(byDefault)});
    if (value != std::floor(value))
        throw ScpiError{kIllegalParameterValue, std::string(text) + " is no whole number"};
    return static_cast<uint32_t>(value);
}

bool mnemonicMatches(std::string_view sent, std::string_view name) {
    std::string shortForm;
    for (const char c : name) {
        if (std::isupper(static_cast<unsigned char>(c)) != 0 || isDigit(c)) shortForm += c;
    }
    const std::string given = upperText(sent);
    return given == shortForm || given == upperText(name);
}

int readScpiChoice(std::string_view text, std::span<const std::string_view> names) {
    if (text.empty()) throw ScpiError{kMissingParameter, "a choice is missing"};
    refuseOtherKinds(text, true);
    const auto found = std::find_if(names.begin(), names.end(), [text](std::string_view name) {
        return mnemonicMatches(text, name);
    });
    if (found == names.end()) {
        std::string known;
        for (const std::string_view name : names)
            known += (known.empty() ? "" : "|") + std::string(name);
        throw ScpiError{kIllegalParameterValue, std::string(text) + " is not one of " + known};
    }
    return static_cast<int>(found - names.begin());
}

bool readScpiBoolean(std::string_view text) {
    if (!text.empty() && (isDigit(text.front()) || text.front() == '+' || text.front() == '-' ||
                          text.front() == '.' || text.front() == '#')) {
        const double value = readScpiNumber(text);
        // IEEE 488.2 rounds a numeric boolean: anything that rounds to 0 is OFF.
        return std::round(value) != 0;
    }
    constexpr std::string_view kNames[] = {"OFF", "ON"};
    return readScpiChoice(text, kNames) == 1;
}

std::vector<int> readScpiChannels(std::string_view text, int last) {
    if (!text.starts_with("(@") || !text.ends_with(')')) {
        refuseOtherKinds(text, false);
        throw ScpiError{kDataTypeError, std::string(text) + " is no channel list; give (@1)"};
    }
    std::vector<int> channels;
    std::string_view rest = text.substr(2, text.size() - 3);
    auto channel = [&](std::string_view number) {
        const uint32_t n = readScpiWhole(number, static_cast<uint32_t>(last));
        if (n < 1)
            throw ScpiError{kDataOutOfRange, "channel " + std::string(number) + " is below 1"};
        return static_cast<int>(n);
    };
    while (!rest.empty()) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        std::string_view item = rest.substr(0, comma);
        // Blanks after a number are read as the space before a suffix; those before it go.
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        rest.remove_prefix(std::min(comma + 1, rest.size()));
        const std::size_t colon = item.find(':');
        const int first = channel(item.substr(0, colon));
        const int to = colon == std::string_view::npos ? first : channel(item.substr(colon + 1));
        for (int n = first; first <= to ? n <= to : n >= to; n += first <= to ? 1 : -1) {
            if (std::find(channels.begin(), channels.end(), n) != channels.end())
                throw ScpiError{kIllegalParameterValue,
                                "channel " + std::to_string(n) + " given twice"};
            channels.push_back(n);
        }
    }
    return channels;
}
