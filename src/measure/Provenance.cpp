#include "measure/Provenance.h"

#include <nlohmann/json.hpp>

#include "measure/ResultTables.h"

namespace {

std::string volts(double value) {
    return fixed(value, 6);
}

}  // namespace

Provenance provenanceOf(const Deliverable& d, Package package, std::string board) {
    return {std::string(d.name),
            versionText(d),
            std::string(d.variant),
            std::string(packageName(package)),
            std::move(board),
            std::chrono::system_clock::now(),
            {},
            {},
            {}};
}

std::vector<Setting> sampleSettingsOf(const std::vector<int>& inputs, double reference,
                                      double intervalSeconds,
                                      std::chrono::system_clock::time_point start) {
    std::string names;
    for (const int input : inputs)
        names += (names.empty() ? "" : " ") + inputName(input);
    std::vector<Setting> settings{{"input", names}};
    for (Setting& setting : sampleColumnSettings(start))
        settings.push_back(std::move(setting));
    settings.insert(settings.end(), {{"adc_reference_v", volts(reference)},
                                     {"interval_s", fixed(intervalSeconds, 3)}});
    return settings;
}

std::vector<Setting> sampleColumnSettings(std::chrono::system_clock::time_point start) {
    return {{"input_column", "1 to 8 for A to H"}, {"time_s_from_utc", utcTimestamp(start)}};
}

std::vector<Setting> withCalibration(std::vector<Setting> settings,
                                     const std::optional<AdcCalibration>& c) {
    if (c) {
        settings.emplace_back("adc_calibration",
                              "made on " + c->board + " through input " + inputName(c->input));
    }
    return settings;
}

std::vector<Setting> settingsOf(const SweepSettings& s) {
    return {{"output", inputName(s.output)},
            {"from_code", std::to_string(s.from)},
            {"to_code", std::to_string(s.to)},
            {"step", std::to_string(s.step)},
            {"dac_reference_v", volts(s.dacReference)},
            {"adc_reference_v", volts(s.adcReference)},
            {"settle_ms", std::to_string(s.settle.count())}};
}

std::vector<Setting> settingsOf(const CharacteriseSettings& s) {
    return withCalibration(
        {{"output", inputName(s.output)},
         {"plan", kPlanNames[static_cast<std::size_t>(s.plan)]},
         {"stride", std::to_string(s.stride)},
         {"window", std::to_string(s.from) + " to " + std::to_string(s.to)},
         {"samples_per_code", std::to_string(s.samples)},
         {"dither", std::to_string(s.dither)},
         {"shuffled", s.shuffled ? "yes" : "no"},
         {"line", kLineNames[static_cast<std::size_t>(s.line)]},
         {"fit_range_pct", fixed(s.fitLowPercent, 1) + " to " + fixed(s.fitHighPercent, 1)},
         {"dac_reference_v", volts(s.dacReference)},
         {"adc_reference_v", volts(s.adcReference)},
         {"settle_ms", std::to_string(s.settle.count())}},
        s.calibration);
}

std::vector<Setting> settingsOf(const AdcCheckSettings& s) {
    return {{"output", inputName(s.output)},
            {"range_pct", fixed(s.lowPercent, 1) + " to " + fixed(s.highPercent, 1)},
            {"stride", std::to_string(s.stride)},
            {"samples_per_step", std::to_string(s.samples)},
            {"meter_every", std::to_string(s.meterEvery)},
            {"dac_reference_v", volts(s.dacReference)},
            {"adc_reference_v", volts(s.adcReference)},
            {"settle_ms", std::to_string(s.settle.count())}};
}

std::vector<Setting> selfTestSettings() {
    std::string phases;
    for (std::size_t i = 0; i < std::size(kSelfTestPhases); ++i) {
        const SelfTestPhase& phase = kSelfTestPhases[i];
        phases += (i == 0 ? "" : ", ") + std::to_string(i + 1) + " " + phase.name + " (" +
                  fixed(phase.low, 2) + " to " + fixed(phase.high, 2) + " V)";
    }
    return {{"phase_column", phases},
            {"output_column", "1 to 4 for A to D"},
            {"pass_column", "1 pass, 0 fail"},
            {"adc_reference_v", volts(kSelfTestAdcReference)}};
}

std::string provenanceComment(const Provenance& p) {
    std::string text = "# software: " + p.software + " " + p.version +
                       "\n# deliverable: " + p.variant +
                       "\n# board: " + (p.board.empty() ? "not told" : p.board) +
                       "\n# package: " + p.package + "\n# time_utc: " + utcTimestamp(p.time) + "\n";
    for (const auto& [name, value] : p.settings)
        text.append("# ").append(name).append(": ").append(value).append("\n");
    if (!p.meter.empty()) text += "# meter: " + p.meter + "\n";
    if (!p.partial.empty()) text += "# partial: " + p.partial + "\n";
    return text;
}

std::string provenanceJson(const Provenance& p) {
    const nlohmann::ordered_json j = {
        {"software", p.software},
        {"version", p.version},
        {"variant", p.variant},
        {"package", p.package},
        {"board", p.board},
        {"time_utc", utcTimestamp(p.time)},
        {"meter", p.meter.empty() ? nlohmann::json(nullptr) : nlohmann::json(p.meter)}};
    return j.dump();
}
