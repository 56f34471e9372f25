#include "cli/ValueReading.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "command/CodeVoltage.h"
#include "command/NumberReading.h"

namespace {

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return result;
}

// A letter from 'a' up to last (either case), as 0, 1, ...
int letter(std::string_view text, char last, std::string_view what) {
    const std::string name = lower(text);
    if (name.size() != 1 || name[0] < 'a' || name[0] > last) {
        throw BadInput("unknown " + std::string(what) + " " + quoted(text) + ": give A to " +
                       static_cast<char>(last - 'a' + 'A'));
    }
    return name[0] - 'a';
}

// The text without a trailing unit letter V (either case); empty when it has none.
std::string_view withoutVolts(std::string_view text) {
    if (text.empty() || (text.back() != 'V' && text.back() != 'v')) return {};
    return text.substr(0, text.size() - 1);
}

// "1500m" (of "1500mV") as volts, "1.500": the digits with the point moved three places left.
// Anything but digits and one point gives no number ("").
std::string millivoltsAsVolts(std::string_view millivolts) {
    if (millivolts.find_first_not_of("0123456789.") != std::string_view::npos ||
        millivolts.find_first_of("0123456789") == std::string_view::npos)
        return {};
    const std::size_t point = std::min(millivolts.find('.'), millivolts.size());
    std::string whole(millivolts.substr(0, point));
    whole.insert(0, whole.size() < 4 ? 4 - whole.size() : 0, '0');
    return whole.substr(0, whole.size() - 3) + "." + whole.substr(whole.size() - 3) +
           std::string(millivolts.substr(std::min(point + 1, millivolts.size())));
}

// A reference's number, with its unit or without.
std::string_view referenceNumber(std::string_view text) {
    return withoutVolts(text).empty() ? text : withoutVolts(text);
}

}  // namespace

std::string printable(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        constexpr std::string_view kDigits = "0123456789ABCDEF";
        shown += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
    }
    return shown;
}

Channel readChannel(std::string_view text) {
    if (lower(text) == "all") return Channel::AllDacs;
    return static_cast<Channel>(letter(text, 'd', "channel"));
}

int readInput(std::string_view text) {
    return letter(text, 'h', "input");
}

std::vector<int> readInputs(std::string_view text) {
    if (lower(text) != "all") return {readInput(text)};
    return {0, 1, 2, 3, 4, 5, 6, 7};
}

std::vector<Channel> readChannelList(std::string_view text) {
    const std::string name = lower(text);
    if (name == "none") return {};
    if (name == "all") return {Channel::DacA, Channel::DacB, Channel::DacC, Channel::DacD};
    std::vector<Channel> channels;
    for (const char c : name) {
        if (c == ',') continue;
        const auto channel = static_cast<Channel>(letter(std::string_view(&c, 1), 'd', "channel"));
        if (std::find(channels.begin(), channels.end(), channel) != channels.end()) {
            throw BadInput("channel " + std::string(1, static_cast<char>('A' + index(channel))) +
                           " given twice in " + quoted(text));
        }
        channels.push_back(channel);
    }
    if (channels.empty()) throw BadInput("no channel in " + quoted(text));
    return channels;
}

uint32_t readNumber(std::string_view text, uint32_t max, std::string_view what) {
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    } else if (digits.ends_with('h') || digits.ends_with('H')) {
        digits.remove_suffix(1);
        base = 16;
    }
    const std::optional<uint64_t> value = readWholeUnsigned(digits, base);
    if (!value) {
        throw BadInput(
            std::string(what) + " " + quoted(text) +
            " is not a number (decimal like 32768, or hexadecimal like 0x8000 or 8000h)");
    }
    if (*value > max) {
        // The limit in the notation the number came in.
        std::array<char, 16> limit{};
        const auto last = std::to_chars(limit.data(), limit.data() + limit.size(), max, base).ptr;
        throw BadInput(std::string(what) + " " + quoted(text) + " is above " +
                       (base == 16 ? "0x" : "") +
                       lower(std::string_view(limit.data(), last - limit.data())));
    }
    return static_cast<uint32_t>(*value);
}

double readSeconds(std::string_view text, double max, std::string_view what) {
    const auto seconds = readStrictDecimal(text);
    if (!seconds || !(*seconds >= 0)) {
        throw BadInput(std::string(what) + " " + quoted(text) + " is not a number of seconds");
    }
    if (*seconds > max) {
        std::array<char, 32> limit{};
        const auto last = std::to_chars(limit.data(), limit.data() + limit.size(), max).ptr;
        throw BadInput(std::string(what) + " " + quoted(text) + " is above " +
                       std::string(limit.data(), last) + " seconds");
    }
    return *seconds;
}

std::pair<double, double> readFitRange(std::string_view text) {
    const std::size_t dash = text.find('-');
    const auto low = readStrictDecimal(text.substr(0, dash));
    const auto high =
        dash == std::string_view::npos ? std::nullopt : readStrictDecimal(text.substr(dash + 1));
    if (!low || !high) {
        throw BadInput("fit range " + quoted(text) +
                       " is not LOW-HIGH in percent of full scale, such as 10-90");
    }
    return {*low, *high};
}

double readReference(std::string_view text) {
    const auto volts = readStrictDecimal(referenceNumber(text));
    if (!volts) throw BadInput("reference " + quoted(text) + " is not a number of volts");
    if (!(*volts > 0)) throw BadInput("reference " + quoted(text) + " must be above 0 V");
    return *volts;
}

int32_t readDataValue(std::string_view text, std::string_view reference) {
    const std::string_view unit = withoutVolts(text);
    if (unit.empty()) return static_cast<int32_t>(readNumber(text, 0xFFFF, "code"));
    const bool milli = unit.back() == 'm' || unit.back() == 'M';
    const std::string number =
        milli ? millivoltsAsVolts(unit.substr(0, unit.size() - 1)) : std::string(unit);
    const double vref = readReference(reference);
    const auto volts = readStrictDecimal(number);
    if (!volts) throw BadInput("voltage " + quoted(text) + " is not a number");
    if (*volts < 0 || *volts >= vref) {
        throw BadInput("voltage " + quoted(text) + " must lie from 0 V up to below the reference " +
                       std::string(reference) + (withoutVolts(reference).empty() ? " V" : ""));
    }
    return static_cast<int32_t>(voltageToHex(number, referenceNumber(reference))->code);
}

int readOptionName(std::span<const OptionEntry> options, std::string_view text,
                   std::string_view what) {
    const std::string name = lower(text);
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&name](const OptionEntry& o) { return name == o.name; });
    if (found == options.end()) {
        throw BadInput("unknown " + std::string(what) + " " + quoted(text) + ": give " +
                       optionNames(options));
    }
    return static_cast<int>(found - options.begin());
}

PowerDownMode readPowerDownMode(std::string_view text) {
    return static_cast<PowerDownMode>(readOptionName(kPowerDownModes, text, "power-down mode"));
}

std::string optionNames(std::span<const OptionEntry> options) {
    std::string names;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0) names += i + 1 == options.size() ? " or " : ", ";
        names += options[i].name;
    }
    return names;
}
