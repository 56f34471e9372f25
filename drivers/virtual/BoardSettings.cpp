#include "BoardSettings.h"

#include <charconv>
#include <cmath>

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

// A finite decimal number no larger in size than limit.
std::optional<double> decimal(std::string_view s, double limit) {
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size() || !(std::abs(value) <= limit)) {
        return std::nullopt;
    }
    return value;
}

// "C:rest": the output C (A to D) and the rest; nothing when there is no such output.
std::optional<std::pair<int, std::string_view>> outputAndRest(std::string_view value) {
    if (value.size() < 3 || value[1] != ':' || value[0] < 'A' || value[0] > 'D') {
        return std::nullopt;
    }
    return std::pair{value[0] - 'A', value.substr(2)};
}

// offset=C:MV, gain=C:PCT, inl=C:LSB and dnl=C:CODE:LSB; false when value is not understood.
bool applyOutputError(std::string_view name, std::string_view value, BoardSettings& s) {
    const auto target = outputAndRest(value);
    if (!target) return false;
    OutputErrors& errors = s.outputs[static_cast<std::size_t>(target->first)];
    const std::string_view rest = target->second;
    if (name == "dnl") {
        const std::size_t colon = rest.find(':');
        if (colon == std::string_view::npos) return false;
        const auto code = number<uint16_t>(rest.substr(0, colon));
        const auto lsb = decimal(rest.substr(colon + 1), 65536);
        if (!code || *code == 0 || !lsb) return false;
        errors.steps.push_back({*code, *lsb});
        return true;
    }
    // An offset up to 10 V, a gain error up to 100 %, a bow up to a full scale of steps.
    const double limit = name == "offset" ? 10000 : name == "gain" ? 100 : 65536;
    const auto amount = decimal(rest, limit);
    if (!amount) return false;
    double& field = name == "offset" ? errors.offsetMillivolts
                    : name == "gain" ? errors.gainPercent
                                     : errors.bowLsb;
    field = *amount;
    return true;
}

// adc-offset=COUNTS, adc-gain=PCT, adc-inl=COUNTS, adc-dnl=COUNT:COUNTS and adc-vref=V;
// false when value is not understood.
bool applyAdcError(std::string_view name, std::string_view value, AdcErrors& adc) {
    if (name == "adc-dnl") {
        const std::size_t colon = value.find(':');
        if (colon == std::string_view::npos) return false;
        const auto count = number<int>(value.substr(0, colon));
        const auto moved = decimal(value.substr(colon + 1), 1);
        // A transition moved by a whole count or more would pass its neighbour.
        if (!count || *count < 1 || *count > 4095 || !moved || std::abs(*moved) >= 1) return false;
        adc.transitions.push_back({*count, *moved});
        return true;
    }
    if (name == "adc-vref") {
        const auto volts = decimal(value, 100);
        if (!volts || *volts <= 0) return false;
        adc.reference = *volts;
        return true;
    }
    // An offset or bow up to the converter's range, a gain error up to 100 %.
    const auto amount = decimal(value, name == "adc-gain" ? 100 : 4096);
    if (!amount) return false;
    double& field = name == "adc-offset" ? adc.offsetCounts
                    : name == "adc-gain" ? adc.gainPercent
                                         : adc.bowCounts;
    field = *amount;
    return true;
}

// meter=PORT, probe=C and the meter-* entries; false when value is not understood.
bool applyMeter(std::string_view name, std::string_view value, MeterErrors& m) {
    if (name == "probe") {
        if (value.size() != 1 || value[0] < 'A' || value[0] > 'D') return false;
        m.probe = value[0] - 'A';
        return true;
    }
    if (name == "meter" || name == "meter-ms" || name == "meter-stop-after") {
        const auto n = number<uint32_t>(value);
        if (!n || (name == "meter" && (*n == 0 || *n > 65535)) || *n > 3600000) return false;
        if (name == "meter") m.port = static_cast<int>(*n);
        if (name == "meter-ms") m.millisecondsPerReading = static_cast<int>(*n);
        if (name == "meter-stop-after") m.stopAfter = *n;
        return true;
    }
    const auto amount = decimal(value, 1e6);
    if (!amount || (name == "meter-sigma" && *amount < 0)) return false;
    double& field = name == "meter-sigma"    ? m.sigmaMicrovolts
                    : name == "meter-offset" ? m.offsetMicrovolts
                                             : m.gainPpm;
    field = *amount;
    return true;
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
    } else if (name == "held-by") {
        s.heldBy = number<int>(value);
        return s.heldBy.has_value();
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
    } else if (name == "offset" || name == "gain" || name == "inl" || name == "dnl") {
        return applyOutputError(name, value, s);
    } else if (name == "adc-offset" || name == "adc-gain" || name == "adc-inl" ||
               name == "adc-dnl" || name == "adc-vref") {
        return applyAdcError(name, value, s.adc);
    } else if (name == "meter" || name == "probe" || name == "meter-sigma" ||
               name == "meter-offset" || name == "meter-gain" || name == "meter-ms" ||
               name == "meter-stop-after") {
        return applyMeter(name, value, s.meter);
    } else if (name == "sigma") {
        const auto sigma = decimal(value, 4096);
        if (!sigma || *sigma < 0) return false;
        s.sigmaCounts = *sigma;
    } else if (name == "seed") {
        const auto seed = number<uint32_t>(value);
        if (!seed) return false;
        s.seed = *seed;
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
