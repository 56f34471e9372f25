#include "BoardSettings.h"

#include <charconv>

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

template <typename T>
std::optional<T> number(std::string_view s) {
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// Applies one "name" or "name=value" entry; false when it is not understood.
bool apply(std::string_view entry, BoardSettings& s) {
    const std::size_t eq = entry.find('=');
    const std::string_view name = trim(entry.substr(0, eq));
    const std::string_view value = eq == std::string_view::npos ? "" : trim(entry.substr(eq + 1));
    if (name == "absent" && eq == std::string_view::npos) {
        s.present = false;
    } else if (name == "lfcsp" && eq == std::string_view::npos) {
        s.lfcsp = true;
    } else if (name == "trace-times" && eq == std::string_view::npos) {
        s.traceTimes = true;
    } else if (name == "unplug-after") {
        s.unplugAfter = number<uint64_t>(value);
        return s.unplugAfter.has_value();
    } else if (name == "noise") {
        const auto n = number<int>(value);
        if (!n || *n < 0 || *n > 4095) return false;
        s.noise = *n;
    } else if (name == "stuck") {
        const auto code =
            value.size() > 2 && value[1] == ':' ? number<uint16_t>(value.substr(2)) : std::nullopt;
        const char channel = value.empty() ? '?' : value[0];
        if (!code || channel < 'A' || channel > 'D') return false;
        s.stuckChannel = channel - 'A';
        s.stuckCode = *code;
    } else {
        return false;
    }
    return true;
}

}  // namespace

ParsedSettings parseBoardSettings(std::string_view text) {
    ParsedSettings parsed;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view entry = trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (!entry.empty() && !apply(entry, parsed.settings)) {
            parsed.error =
                "unknown or malformed virtual board setting \"" + std::string(entry) + "\"";
            return parsed;
        }
    }
    return parsed;
}
