#include "measure/LinearityReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

#include "measure/ResultTables.h"

namespace {

std::string percentText(double percent) {
    return fixed(percent, percent == static_cast<int>(percent) ? 0 : 1);
}

std::string planText(const CharacteriseSettings& s) {
    std::string text = kPlanNames[static_cast<std::size_t>(s.plan)];
    if (s.plan == PlanKind::Grid) text += ", stride " + std::to_string(s.stride);
    if (s.plan == PlanKind::Window) text += " " + codeText(s.from) + " to " + codeText(s.to);
    text += ", " + std::to_string(s.samples) + " readings per code";
    if (s.dither > 0) text += ", dither " + std::to_string(s.dither);
    if (s.shuffled) text += ", shuffled";
    return text;
}

std::string lineText(const LinearityResult& r, const CharacteriseSettings& s) {
    return std::string(kLineNames[static_cast<std::size_t>(s.line)]) + " over " +
           percentText(s.fitLowPercent) + "-" + percentText(s.fitHighPercent) +
           " % of full scale, " + std::to_string(r.fitPoints) + " codes";
}

SummaryRow figureRow(const char* name, const Figure& f, int decimals, std::string unit) {
    return {name, fixed(f.value, decimals), fixed(f.uncertainty, decimals), std::move(unit)};
}

SummaryRow optionalRow(const char* name, const std::optional<Figure>& f, const char* absent) {
    if (!f) return {name, absent, "", ""};
    return figureRow(name, *f, 4, "mV");
}

SummaryRow dnlRow(const char* name, const LinearityResult& r, const std::optional<Figure>& f,
                  int32_t code) {
    if (!f) return {name, "not measured: no two adjacent codes", "", ""};
    SummaryRow row = figureRow(name, *f, 2, "LSB at " + codeText(code));
    if (!r.dnlResolved) row.unit += " (unresolved)";
    return row;
}

nlohmann::json optionalValue(const std::optional<Figure>& f, bool uncertainty) {
    if (!f) return nullptr;
    return uncertainty ? f->uncertainty : f->value;
}

}  // namespace

Provenance provenanceOf(const Deliverable& d, Package package, std::string board) {
    return {std::string(d.name),
            versionText(d),
            d.variant == Variant::A ? "A" : "B",
            package == Package::Lfcsp ? "lfcsp" : "tssop",
            std::move(board),
            std::chrono::system_clock::now()};
}

std::string estimateText(const Characterisation& run, std::chrono::duration<double> estimate) {
    const double seconds = estimate.count();
    return std::to_string(run.total()) + " readings, " +
           (seconds < 0.1 ? std::string("under 0.1") : "about " + fixed(seconds, 1)) +
           " s on this board";
}

std::vector<std::string> linearityFields(const CodeResult& c) {
    const auto steps = [](const std::optional<Figure>& f) {
        return f ? fixed(f->value, 4) : std::string();
    };
    return {codeText(c.code),
            fixed(c.count.value, 4),
            fixed(c.count.uncertainty, 4),
            fixed(c.volts, 6),
            steps(c.inl),
            steps(c.dnl)};
}

std::vector<SummaryRow> linearityTable(const LinearityResult& r, const CharacteriseSettings& s) {
    const std::string monotonic =
        r.monotonic ? "yes" : "no: the output falls at " + codeText(*r.firstNonMonotonicCode);
    return {
        {"Line", lineText(r, s), "", ""},
        {"Plan", planText(s), "", ""},
        {"Resolution", fixed(r.lsbPerAdcCount, 2), "", "DAC steps per ADC count"},
        {"Noise", fixed(r.noiseCounts, 3), "", "ADC counts (standard deviation)"},
        figureRow("Offset error", r.offsetMillivolts, 4, "mV"),
        figureRow("Gain error", r.gainErrorPercent, 4, "% of full scale"),
        optionalRow("Zero-code error", r.zeroCodeErrorMillivolts, "not measured or clipped"),
        optionalRow("Full-scale error", r.fullScaleErrorMillivolts, "not measured or clipped"),
        figureRow("INL (largest)", r.inlMax, 2, "LSB at " + codeText(r.inlMaxCode)),
        dnlRow("DNL (smallest)", r, r.dnlMin, r.dnlMinCode),
        dnlRow("DNL (largest)", r, r.dnlMax, r.dnlMaxCode),
        {"Monotonic", monotonic, "", ""},
        figureRow("Total unadjusted error", r.totalUnadjustedErrorLsb, 2,
                  "LSB at " + codeText(r.totalUnadjustedErrorCode)),
    };
}

std::vector<std::string> linearityWarnings(const LinearityResult& r,
                                           const CharacteriseSettings& s) {
    std::vector<std::string> warnings;
    if (r.averagingLimited) {
        warnings.push_back("The readings vary by only " + fixed(r.noiseCounts, 3) +
                           " ADC counts: too little for their mean to fall between two counts, "
                           "so each mean may be off by up to half a count (its uncertainty "
                           "says so). Add a dither of about " +
                           std::to_string(std::lround(r.lsbPerAdcCount)) + " codes.");
    }
    // The largest of n values that each scatter by u is, from the scatter alone, about
    // u x sqrt(2 ln n): an INL no larger than that is the noise, not the part.
    const auto withInl = std::count_if(r.codes.begin(), r.codes.end(),
                                       [](const CodeResult& c) { return c.inl.has_value(); });
    const double noiseAlone =
        withInl > 1 ? r.inlMax.uncertainty * std::sqrt(2 * std::log(double(withInl))) : 0.0;
    if (withInl > 1 && std::abs(r.inlMax.value) <= noiseAlone) {
        warnings.push_back(
            "The largest INL is no larger than the readings' scatter alone gives "
            "over " +
            std::to_string(withInl) + " codes (about " + fixed(noiseAlone, 2) +
            " LSB): take more readings per code.");
    }
    if (r.dnlMin && !r.dnlResolved) {
        warnings.emplace_back(s.dither > 0 ? "The one-code steps are not resolved: the dither "
                                             "averages each step with its neighbours."
                                           : "The one-code steps are not resolved: their "
                                             "uncertainty is too large. Take more readings per "
                                             "code.");
    }
    return warnings;
}

std::string linearitySummary(const LinearityResult& r, const CharacteriseSettings& s) {
    std::string text;
    for (const SummaryRow& row : linearityTable(r, s)) {
        text += row.figure + ": " + row.value;
        if (!row.uncertainty.empty()) text += " +/- " + row.uncertainty;
        if (!row.unit.empty()) text += " " + row.unit;
        text += "\n";
    }
    for (const std::string& warning : linearityWarnings(r, s))
        text += warning + "\n";
    return text;
}

std::string linearityJson(const LinearityResult& r, const CharacteriseSettings& s,
                          const Provenance& p) {
    nlohmann::ordered_json j;
    j["output"] = inputName(s.output);
    j["plan"] = kPlanNames[static_cast<std::size_t>(s.plan)];
    j["stride"] = s.stride;
    j["window"] = {s.from, s.to};
    j["samples_per_code"] = s.samples;
    j["dither"] = s.dither;
    j["shuffled"] = s.shuffled;
    j["line"] = kLineNames[static_cast<std::size_t>(s.line)];
    j["fit_range_pct"] = {s.fitLowPercent, s.fitHighPercent};
    j["fit_points"] = r.fitPoints;
    j["dac_reference_v"] = s.dacReference;
    j["adc_reference_v"] = s.adcReference;
    j["settle_ms"] = s.settle.count();
    j["lsb_per_adc_count"] = r.lsbPerAdcCount;
    j["noise_counts"] = r.noiseCounts;
    j["averaging_limited"] = r.averagingLimited;
    j["offset_mv"] = r.offsetMillivolts.value;
    j["offset_mv_uncertainty"] = r.offsetMillivolts.uncertainty;
    j["gain_error_pct"] = r.gainErrorPercent.value;
    j["gain_error_pct_uncertainty"] = r.gainErrorPercent.uncertainty;
    j["zero_code_error_mv"] = optionalValue(r.zeroCodeErrorMillivolts, false);
    j["zero_code_error_mv_uncertainty"] = optionalValue(r.zeroCodeErrorMillivolts, true);
    j["full_scale_error_mv"] = optionalValue(r.fullScaleErrorMillivolts, false);
    j["full_scale_error_mv_uncertainty"] = optionalValue(r.fullScaleErrorMillivolts, true);
    j["inl_max_lsb"] = r.inlMax.value;
    j["inl_max_lsb_uncertainty"] = r.inlMax.uncertainty;
    j["inl_max_code"] = r.inlMaxCode;
    j["dnl_min_lsb"] = optionalValue(r.dnlMin, false);
    j["dnl_min_lsb_uncertainty"] = optionalValue(r.dnlMin, true);
    j["dnl_min_code"] = r.dnlMin ? nlohmann::json(r.dnlMinCode) : nullptr;
    j["dnl_max_lsb"] = optionalValue(r.dnlMax, false);
    j["dnl_max_lsb_uncertainty"] = optionalValue(r.dnlMax, true);
    j["dnl_max_code"] = r.dnlMax ? nlohmann::json(r.dnlMaxCode) : nullptr;
    j["dnl_resolved"] = r.dnlResolved;
    j["monotonic"] = r.monotonic;
    j["first_nonmonotonic_code"] =
        r.firstNonMonotonicCode ? nlohmann::json(*r.firstNonMonotonicCode) : nullptr;
    j["tue_lsb"] = r.totalUnadjustedErrorLsb.value;
    j["tue_lsb_uncertainty"] = r.totalUnadjustedErrorLsb.uncertainty;
    j["tue_code"] = r.totalUnadjustedErrorCode;
    j["warnings"] = linearityWarnings(r, s);
    j["provenance"] = {{"software", p.software}, {"version", p.version},
                       {"variant", p.variant},   {"package", p.package},
                       {"board", p.board},       {"time_utc", utcTimestamp(p.time)}};
    return j.dump(2);
}
