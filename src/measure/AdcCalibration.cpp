#include "measure/AdcCalibration.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "measure/AdcRules.h"
#include "measure/ResultTables.h"

namespace {

constexpr const char* kKind = "xt4830 adc calibration";
constexpr int kFormat = 1;

// The middle of count k's width, for k from firstCount to the last but one transition.
double middleOf(const AdcCalibration& c, std::size_t i) {
    return (c.transitions[i] + c.transitions[i + 1]) / 2;
}

double finiteNumber(const nlohmann::json& j, const char* name) {
    const nlohmann::json& v = j.at(name);
    if (!v.is_number() || !std::isfinite(v.get<double>())) {
        throw std::invalid_argument(std::string("\"") + name + "\" is not a number");
    }
    return v.get<double>();
}

// The calibration's own fields, checked for sense; throws with what is wrong.
AdcCalibration fieldsOf(const nlohmann::json& j) {
    if (!j.is_object() || j.value("kind", "") != kKind) {
        throw std::invalid_argument("it is not an ADC calibration");
    }
    if (j.value("format", 0) != kFormat) throw std::invalid_argument("its format is not 1");
    AdcCalibration c;
    c.board = j.at("board").get<std::string>();
    const std::string input = j.at("input").get<std::string>();
    if (input.size() != 1 || input[0] < 'A' || input[0] > 'H')
        throw std::invalid_argument("its input is not A to H");
    c.input = input[0] - 'A';
    c.adcReference = finiteNumber(j, "adc_reference_v");
    const nlohmann::json& first = j.at("first_count");
    if (!first.is_number_integer() || first.get<int64_t>() < 0 || first.get<int64_t>() > kAdcCounts)
        throw std::invalid_argument("its first count is not a count of the ADC");
    c.firstCount = first.get<int32_t>();
    c.transitions = j.at("transitions").get<std::vector<double>>();
    c.offsetCounts = finiteNumber(j, "offset_counts");
    c.gainErrorPercent = finiteNumber(j, "gain_error_pct");
    const nlohmann::json& left = j.at("accuracy");
    c.offsetLimit = finiteNumber(left, "offset_counts");
    c.gainLimit = finiteNumber(left, "gain_pct");
    c.inlLimit = finiteNumber(left, "inl_counts");
    c.dnlLimit = finiteNumber(left, "dnl_counts");
    const auto last = static_cast<std::size_t>(c.firstCount) + c.transitions.size();
    if (c.transitions.size() < 3 || last > kAdcCounts + 1)
        throw std::invalid_argument("its table of counts is not within 0 to 4096");
    for (std::size_t i = 1; i < c.transitions.size(); ++i) {
        if (!std::isfinite(c.transitions[i]) || !(c.transitions[i] > c.transitions[i - 1]))
            throw std::invalid_argument("its transitions do not rise");
    }
    for (const double limit : {c.offsetLimit, c.gainLimit, c.inlLimit, c.dnlLimit}) {
        if (!(limit >= 0 && limit <= 100))
            throw std::invalid_argument("an accuracy is not 0 to 100");
    }
    if (!(c.adcReference > 0) || std::abs(c.gainErrorPercent) >= 50)
        throw std::invalid_argument("its reference or gain makes no sense");
    return c;
}

}  // namespace

std::string calibrationBoardName(const std::string& description) {
    return description.substr(0, description.find(" at "));
}

double correctedCount(const AdcCalibration& c, double count) {
    const double from = count - c.firstCount;
    const auto middles = static_cast<double>(c.transitions.size() - 1);
    if (from < 0 || from > middles - 1) {
        return (count - c.offsetCounts) / (1 + c.gainErrorPercent / 100);
    }
    const auto i = std::min(static_cast<std::size_t>(from), c.transitions.size() - 3);
    const double part = from - static_cast<double>(i);
    return middleOf(c, i) + part * (middleOf(c, i + 1) - middleOf(c, i));
}

std::string calibrationJson(const AdcCalibration& c, const std::string& provenance) {
    nlohmann::ordered_json j;
    j["kind"] = kKind;
    j["format"] = kFormat;
    j["board"] = c.board;
    j["input"] = inputName(c.input);
    j["adc_reference_v"] = c.adcReference;
    j["offset_counts"] = c.offsetCounts;
    j["gain_error_pct"] = c.gainErrorPercent;
    j["accuracy"] = {{"offset_counts", c.offsetLimit},
                     {"gain_pct", c.gainLimit},
                     {"inl_counts", c.inlLimit},
                     {"dnl_counts", c.dnlLimit}};
    j["first_count"] = c.firstCount;
    j["transitions"] = c.transitions;
    j["provenance"] = nlohmann::ordered_json::parse(provenance);
    return j.dump(1) + "\n";
}

std::optional<AdcCalibration> readCalibration(const std::string& path, std::string& problem) {
    const std::string named = "the ADC calibration \"" + path + "\" ";
    // Anything but a regular file (a FIFO without a writer) could hold the run forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        problem = named + "is not a readable file";
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    std::string text(kLargestCalibrationFile + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file && !file.eof()) {
        problem = named + "cannot be read";
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kLargestCalibrationFile) {
        problem = named + "is larger than 1 MiB: it is no calibration";
        return std::nullopt;
    }
    try {
        return fieldsOf(nlohmann::json::parse(text));
    } catch (const std::exception& e) {
        problem = named + "is malformed: " + e.what();
    }
    return std::nullopt;
}

std::optional<std::string> calibrationMismatch(const AdcCalibration& c, const std::string& board,
                                               int input, double adcReference) {
    const std::string name = calibrationBoardName(board);
    if (c.board != name) return "the ADC calibration was made on " + c.board + ", not on " + name;
    if (c.input != input) {
        return "the ADC calibration was made through input " + inputName(c.input) + ", not " +
               inputName(input);
    }
    if (std::abs(c.adcReference - adcReference) > 1e-9 * adcReference) {
        return "the ADC calibration was made for an ADC reference of " + fixed(c.adcReference, 6) +
               " V, not " + fixed(adcReference, 6) + " V";
    }
    return std::nullopt;
}

std::optional<std::string> calibrationUseProblem(bool calibrated, bool withMeter) {
    if (!calibrated || !withMeter) return std::nullopt;
    return "the ADC's calibration corrects the board's ADC; with a meter it reads nothing";
}
