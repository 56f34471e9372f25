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

// "4095 steps from 0x1000 to 0x1FFF", "31 carry steps", "no adjacent codes".
std::string stepsText(const LinearityResult& r, const CharacteriseSettings& s) {
    if (r.everyStep) {
        return std::to_string(r.oneCodeSteps) + " steps from " + codeText(r.firstCode) + " to " +
               codeText(r.lastCode);
    }
    if (r.oneCodeSteps == 0) return "no adjacent codes";
    return std::to_string(r.oneCodeSteps) +
           (s.plan == PlanKind::Carries ? " carry steps" : " one-code steps");
}

std::string gapsText(const LinearityResult& r) {
    const auto usable = std::count_if(r.codes.begin(), r.codes.end(),
                                      [](const CodeResult& c) { return !c.clipped; });
    return std::to_string(std::max<std::ptrdiff_t>(0, usable - 1)) +
           " steps between measured codes";
}

std::string monotonicText(const LinearityResult& r, const CharacteriseSettings& s) {
    if (r.monotonic == true) return "yes: " + stepsText(r, s);
    if (r.monotonic == false) {
        return "no: the output falls at " + codeText(*r.firstNonMonotonicCode) +
               " beyond the noise of " + gapsText(r) + " (99 %)";
    }
    if (r.everyStep) {
        return "unknown: " + stepsText(r, s) + " measured too coarsely to see a fall of one step";
    }
    return "unknown: " + stepsText(r, s) + " measured; no fall beyond the noise of " + gapsText(r);
}

// "largest of 1023 codes, allowing for the pick": what an extreme's uncertainty covers.
std::string scopeText(const char* which, const Extreme& e, const std::string& among) {
    return std::string(which) + " of " + std::to_string(e.among) + " " + among +
           ", 2u covering all of them at once (95 %)";
}

SummaryRow extremeRow(const char* name, const Extreme& e, const std::string& scope) {
    return figureRow(name, e.figure, 2, "LSB at " + codeText(e.code) + ", " + scope);
}

SummaryRow dnlRow(const char* name, const char* which, const LinearityResult& r,
                  const std::optional<Extreme>& e, const CharacteriseSettings& s) {
    if (!e) return {name, "not measured: no two adjacent codes", "", ""};
    SummaryRow row = extremeRow(name, *e, scopeText(which, *e, "steps (" + stepsText(r, s) + ")"));
    if (!r.dnlResolved) row.unit += " (unresolved)";
    return row;
}

std::string adcText(const AdcAccuracy& a) {
    return "offset " + fixed(a.offsetCounts, 2) + ", INL " + fixed(a.inlCounts, 2) + ", DNL " +
           fixed(a.dnlCounts, 2) + " counts; gain " + fixed(a.gainPercent, 3) + " %, reference " +
           fixed(a.referencePercent, 3) + " %";
}

// What reads the output and how far its stated accuracy reaches.
std::vector<SummaryRow> readerRows(const CharacteriseSettings& s) {
    if (!s.meter && s.calibration) {
        return {{"Board ADC accuracy", adcText(readerAccuracy(s)), "",
                 "(left by its calibration on " + s.calibration->board +
                     ", in place of its data "
                     "sheet's)"}};
    }
    if (!s.meter) return {{"Board ADC accuracy", adcText(s.adc), "", "(data-sheet limits)"}};
    const MeterSettings& m = *s.meter;
    const std::string setup = fixed(m.rangeVolts, 3) + " V range, " + fixed(m.nplc, 3) +
                              " NPLC, auto-zero " + (m.autoZero ? "on" : "off");
    if (!m.accuracy) {
        return {{"Meter", setup, "", ""},
                {"Meter accuracy", "not included", "", "(not stated: no figure allows for it)"}};
    }
    return {{"Meter", setup, "", ""},
            {"Meter accuracy",
             fixed(m.accuracy->ppmOfReading, 1) + " ppm of reading + " +
                 fixed(m.accuracy->ppmOfRange, 1) + " ppm of range",
             "", "(data-sheet limits, in every figure; INL and DNL take out its offset and gain)"}};
}

nlohmann::json verdictsJson(const LinearityResult& r, const CharacteriseSettings& s) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    const std::vector<FigureVerdict> verdicts = judgeFigures(r, s.limits);
    for (const FigureVerdict& v : verdicts) {
        list.push_back({{"figure", kLimitNames[static_cast<std::size_t>(v.limit.figure)]},
                        {"limit", v.limit.value},
                        {"value", v.value ? nlohmann::json(*v.value) : nullptr},
                        {"expanded_uncertainty", v.expanded},
                        {"verdict", kVerdictNames[static_cast<std::size_t>(v.verdict)]}});
    }
    return list;
}

nlohmann::json optionalValue(const std::optional<Extreme>& e, bool uncertainty) {
    if (!e) return nullptr;
    return uncertainty ? e->figure.uncertainty : e->figure.value;
}

nlohmann::json optionalValue(const std::optional<Figure>& f, bool uncertainty) {
    if (!f) return nullptr;
    return uncertainty ? f->uncertainty : f->value;
}

}  // namespace

std::vector<SummaryRow> verdictRows(const LinearityResult& r, const CharacteriseSettings& s) {
    std::vector<SummaryRow> rows;
    const std::vector<FigureVerdict> verdicts = judgeFigures(r, s.limits);
    for (const FigureVerdict& v : verdicts) {
        const std::string name = kLimitNames[static_cast<std::size_t>(v.limit.figure)];
        const std::string verdict = kVerdictNames[static_cast<std::size_t>(v.verdict)];
        rows.push_back(
            {"Verdict " + name,
             verdict +
                 (v.value ? ": |" + fixed(*v.value, 4) + "| with U = " + fixed(v.expanded, 4)
                          : std::string(": not measured")) +
                 " against " + fixed(v.limit.value, 4),
             "", ""});
    }
    if (!verdicts.empty()) {
        rows.push_back(
            {"Verdict", kVerdictNames[static_cast<std::size_t>(overallVerdict(verdicts))], "", ""});
    }
    return rows;
}

std::string linearityComment(const LinearityResult& r, const CharacteriseSettings& s,
                             const Provenance& p) {
    std::string text = provenanceComment(p);
    for (const SummaryRow& row : verdictRows(r, s))
        text += "# " + row.figure + ": " + row.value + "\n";
    return text;
}

std::string estimateText(const Characterisation& run, std::chrono::duration<double> estimate) {
    const double seconds = estimate.count();
    return std::to_string(run.total()) + " readings, " +
           (seconds < 0.1 ? std::string("under 0.1") : "about " + fixed(seconds, 1)) +
           " s on this board";
}

std::vector<std::string> linearityFields(const CodeResult& c) {
    const auto steps = [](const std::optional<Figure>& f, bool uncertainty) {
        return f ? fixed(uncertainty ? f->uncertainty : f->value, 4) : std::string("nan");
    };
    return {std::to_string(c.code), fixed(c.count.value, 4), fixed(c.count.uncertainty, 4),
            fixed(c.volts, 6),      steps(c.inl, false),     steps(c.inl, true),
            steps(c.dnl, false),    steps(c.dnl, true)};
}

std::vector<SummaryRow> linearityTable(const LinearityResult& r, const CharacteriseSettings& s) {
    const std::string noiseWhere =
        r.noiseBeforeConverter ? ", ahead of the converter" : ", none ahead of the converter";
    const std::string counts = s.meter ? "meter microvolts" : "ADC counts";
    std::vector<SummaryRow> rows{
        {"Line", lineText(r, s), "", ""},
        {"Plan", planText(s), "", ""},
        {"Resolution", fixed(r.lsbPerAdcCount, s.meter ? 4 : 2), "",
         "DAC steps per " + counts.substr(0, counts.size() - 1)},
        {"Noise", fixed(r.noiseCounts, 3), "", counts + " (standard deviation)" + noiseWhere},
        {"Rounding bias", fixed(r.roundingBoundCounts, 4), "", counts + " at most in a mean"}};
    for (SummaryRow& row : readerRows(s))
        rows.push_back(std::move(row));
    const std::vector<SummaryRow> figures{
        figureRow("Offset error", r.offsetMillivolts, 4, "mV"),
        figureRow("Gain error", r.gainErrorPercent, 4, "% of full scale"),
        optionalRow("Zero-code error", r.zeroCodeErrorMillivolts, "not measured or clipped"),
        optionalRow("Full-scale error", r.fullScaleErrorMillivolts, "not measured or clipped"),
        extremeRow("INL (largest)", r.inlMax, scopeText("largest", r.inlMax, "codes")),
        dnlRow("DNL (smallest)", "smallest", r, r.dnlMin, s),
        dnlRow("DNL (largest)", "largest", r, r.dnlMax, s),
        {"Monotonic", monotonicText(r, s), "", ""},
        extremeRow("Total unadjusted error", r.totalUnadjustedErrorLsb,
                   scopeText("largest", r.totalUnadjustedErrorLsb, "codes")),
    };
    rows.insert(rows.end(), figures.begin(), figures.end());
    for (SummaryRow& row : verdictRows(r, s))
        rows.push_back(std::move(row));
    return rows;
}

std::vector<std::string> linearityWarnings(const LinearityResult& r,
                                           const CharacteriseSettings& s) {
    std::vector<std::string> warnings;
    if (r.averagingLimited) {
        const std::string spread =
            r.noiseBeforeConverter || r.noiseCounts == 0
                ? "The readings vary by only " + fixed(r.noiseCounts, 3) +
                      " ADC counts: too little for their mean to fall between two counts"
                : "The readings' spread (" + fixed(r.noiseCounts, 3) +
                      " ADC counts) is not shaped like noise ahead of the converter, so it is "
                      "not counted on to average the rounding away";
        warnings.push_back(spread + ", so each mean may be off by up to " +
                           fixed(r.roundingBoundCounts, 2) +
                           " counts (the uncertainties include it). Add a dither of about " +
                           std::to_string(std::lround(r.lsbPerAdcCount)) + " codes.");
    }
    if (r.adcLimited) {
        warnings.push_back(
            "The figures are limited by the board's ADC: its stated accuracy is most of their "
            "uncertainty (an INL of " +
            fixed(s.adc.inlCounts, 2) + " counts is " +
            fixed(s.adc.inlCounts * r.lsbPerAdcCount, 1) +
            " DAC steps). Measure the output with an external meter to compare it with a data "
            "sheet.");
    }
    const Figure& inl = r.inlMax.figure;
    if (r.inlMax.among > 1 && std::abs(inl.value) <= 2 * inl.uncertainty) {
        warnings.push_back("The largest INL is no larger than its uncertainty allows over " +
                           std::to_string(r.inlMax.among) + " codes (2u = " +
                           fixed(2 * inl.uncertainty, 2) + " LSB): the part may be better.");
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
    j["noise_before_converter"] = r.noiseBeforeConverter;
    j["rounding_bound_counts"] = r.roundingBoundCounts;
    j["averaging_limited"] = r.averagingLimited;
    const AdcAccuracy adc = s.meter ? s.adc : readerAccuracy(s);
    j["adc_accuracy"] = {{"offset_counts", adc.offsetCounts},
                         {"gain_pct", adc.gainPercent},
                         {"inl_counts", adc.inlCounts},
                         {"dnl_counts", adc.dnlCounts},
                         {"reference_pct", adc.referencePercent}};
    j["adc_accuracy_from"] =
        !s.meter && s.calibration ? "the ADC's calibration" : "the ADC's stated limits";
    j["adc_limited"] = r.adcLimited;
    j["reader"] = s.meter ? "meter" : "board adc";
    if (s.meter) {
        const MeterSettings& m = *s.meter;
        j["meter"] = {{"resource", m.resource},
                      {"range_v", m.rangeVolts},
                      {"nplc", m.nplc},
                      {"auto_zero", m.autoZero},
                      {"accuracy_ppm_of_reading",
                       m.accuracy ? nlohmann::json(m.accuracy->ppmOfReading) : nullptr},
                      {"accuracy_ppm_of_range",
                       m.accuracy ? nlohmann::json(m.accuracy->ppmOfRange) : nullptr}};
    }
    j["offset_mv"] = r.offsetMillivolts.value;
    j["offset_mv_uncertainty"] = r.offsetMillivolts.uncertainty;
    j["gain_error_pct"] = r.gainErrorPercent.value;
    j["gain_error_pct_uncertainty"] = r.gainErrorPercent.uncertainty;
    j["zero_code_error_mv"] = optionalValue(r.zeroCodeErrorMillivolts, false);
    j["zero_code_error_mv_uncertainty"] = optionalValue(r.zeroCodeErrorMillivolts, true);
    j["full_scale_error_mv"] = optionalValue(r.fullScaleErrorMillivolts, false);
    j["full_scale_error_mv_uncertainty"] = optionalValue(r.fullScaleErrorMillivolts, true);
    j["extremes_cover"] = "2u covers every value the extreme was picked from at once (95 %)";
    j["inl_max_lsb"] = r.inlMax.figure.value;
    j["inl_max_lsb_uncertainty"] = r.inlMax.figure.uncertainty;
    j["inl_max_code"] = r.inlMax.code;
    j["inl_max_among_codes"] = r.inlMax.among;
    j["dnl_steps"] = stepsText(r, s);
    j["dnl_min_lsb"] = optionalValue(r.dnlMin, false);
    j["dnl_min_lsb_uncertainty"] = optionalValue(r.dnlMin, true);
    j["dnl_min_code"] = r.dnlMin ? nlohmann::json(r.dnlMin->code) : nullptr;
    j["dnl_max_lsb"] = optionalValue(r.dnlMax, false);
    j["dnl_max_lsb_uncertainty"] = optionalValue(r.dnlMax, true);
    j["dnl_max_code"] = r.dnlMax ? nlohmann::json(r.dnlMax->code) : nullptr;
    j["dnl_resolved"] = r.dnlResolved;
    j["monotonic"] = r.monotonic ? nlohmann::json(*r.monotonic) : nullptr;
    j["monotonic_steps"] = stepsText(r, s);
    j["first_nonmonotonic_code"] =
        r.firstNonMonotonicCode ? nlohmann::json(*r.firstNonMonotonicCode) : nullptr;
    j["tue_lsb"] = r.totalUnadjustedErrorLsb.figure.value;
    j["tue_lsb_uncertainty"] = r.totalUnadjustedErrorLsb.figure.uncertainty;
    j["tue_code"] = r.totalUnadjustedErrorLsb.code;
    j["tue_among_codes"] = r.totalUnadjustedErrorLsb.among;
    j["warnings"] = linearityWarnings(r, s);
    if (!s.limits.empty()) {
        j["verdicts"] = verdictsJson(r, s);
        j["verdict"] =
            kVerdictNames[static_cast<std::size_t>(overallVerdict(judgeFigures(r, s.limits)))];
    }
    j["provenance"] = nlohmann::ordered_json::parse(provenanceJson(p));
    j["partial"] = p.partial.empty() ? nlohmann::json(nullptr) : nlohmann::json(p.partial);
    return j.dump(2);
}
