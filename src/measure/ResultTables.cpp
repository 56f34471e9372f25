#include "measure/ResultTables.h"

#include <array>
#include <charconv>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

std::string fixed(double value, int decimals) {
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, decimals)
                         .ptr;
    return std::string(text.data(), end);
}

std::string utcTimestamp(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::ostringstream text;  // digits only: no locale groups them
    text << std::put_time(&utc, "%Y-%m-%dT%H:%M:%S") << '.' << std::setfill('0') << std::setw(3)
         << millis << 'Z';
    return text.str();
}

std::string inputName(int input) {
    return std::string(1, static_cast<char>('A' + input));
}

namespace {

// The seconds from start to time and since the Unix epoch; for people, the UTC time.
std::vector<std::string> timeFields(std::chrono::system_clock::time_point time,
                                    std::chrono::system_clock::time_point start, bool text) {
    if (text) return {utcTimestamp(time)};
    const auto seconds = [](auto span) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
        return fixed(static_cast<double>(ms) / 1000, 3);
    };
    return {seconds(time - start), seconds(time.time_since_epoch())};
}

}  // namespace

std::vector<std::string> sampleFields(std::chrono::system_clock::time_point time,
                                      std::chrono::system_clock::time_point start, int input,
                                      int32_t count, double volts, bool text) {
    std::vector<std::string> fields = timeFields(time, start, text);
    fields.insert(fields.end(), {text ? inputName(input) : std::to_string(input + 1),
                                 std::to_string(count), fixed(volts, 6)});
    return fields;
}

std::vector<std::string> meterSampleFields(std::chrono::system_clock::time_point time,
                                           std::chrono::system_clock::time_point start, int input,
                                           double volts, bool text) {
    std::vector<std::string> fields = timeFields(time, start, text);
    fields.insert(fields.end(), {text ? inputName(input) : std::to_string(input + 1),
                                 text ? "" : "nan", fixed(volts, 7)});
    return fields;
}

std::vector<std::string> selfTestFields(const SelfTestReading& r, bool text) {
    const auto phase = std::to_string(r.phase - std::begin(kSelfTestPhases) + 1);
    return {text ? r.phase->name : phase,
            text ? inputName(r.output) : std::to_string(r.output + 1),
            std::to_string(r.count),
            fixed(r.volts, 6),
            fixed(r.phase->low, 2),
            fixed(r.phase->high, 2),
            text ? (r.pass ? "pass" : "fail") : (r.pass ? "1" : "0")};
}

std::string codeText(int32_t code) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << "0x" << std::uppercase << std::hex << std::setfill('0') << std::setw(4) << code;
    return text.str();
}

std::vector<std::string> sweepFields(const SweepPoint& p) {
    return {std::to_string(p.code), fixed(p.idealVolts, 6), std::to_string(p.count),
            fixed(p.measuredVolts, 6), std::to_string(p.difference)};
}

std::string summaryText(const SweepSummary& s) {
    return "offset " + fixed(s.offsetCounts, 2) + " counts, gain error " +
           fixed(s.gainErrorPercent, 3) + " %, largest difference " +
           std::to_string(s.largestDifference) + " counts";
}

std::string joined(const std::vector<std::string>& fields, const char* separator) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += separator;
        line += fields[i];
    }
    return line;
}
