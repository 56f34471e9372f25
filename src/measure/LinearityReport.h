#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "measure/Linearity.h"
#include "measure/Provenance.h"

// How a characterisation is written out, by the command line and the plot window alike: a
// summary for a person, one JSON object for a script, and the per-code table as CSV.

inline constexpr const char* kLinearityColumns =
    "code,mean_count,count_uncertainty,volts,inl_lsb,inl_lsb_uncertainty,dnl_lsb,"
    "dnl_lsb_uncertainty";

// code (decimal), mean count, its uncertainty, volts, INL and DNL in steps with their standard
// uncertainties (nan where not measured, so every column reads as numbers)
std::vector<std::string> linearityFields(const CodeResult& code);

// One line of the summary: "Offset error", "3.0012", "0.0035", "mV".
struct SummaryRow {
    std::string figure;
    std::string value;
    std::string uncertainty;  // the standard uncertainty; empty for a setting or a verdict
    std::string unit;
};

// The figures, each with its standard uncertainty, after the line, the plan and the
// resolution they were found with.
std::vector<SummaryRow> linearityTable(const LinearityResult& result,
                                       const CharacteriseSettings& settings);

// The table as text, a row a line ("Offset error: 3.0012 +/- 0.0035 mV"), then the warnings.
std::string linearitySummary(const LinearityResult& result, const CharacteriseSettings& settings);

// Why the figures may mislead, as sentences; empty when nothing does.
std::vector<std::string> linearityWarnings(const LinearityResult& result,
                                           const CharacteriseSettings& settings);

// The verdicts against the settings' limits as rows: each figure's, then the overall one.
std::vector<SummaryRow> verdictRows(const LinearityResult& result,
                                    const CharacteriseSettings& settings);

// The CSV table's comment lines: the provenance, then each verdict as the summary gives it
// ("# Verdict inl-lsb: PASS: |1.2000| with U = 0.3000 against 4.0000", "# Verdict: PASS").
std::string linearityComment(const LinearityResult& result, const CharacteriseSettings& settings,
                             const Provenance& provenance);

// "8704 readings, about 2.5 s on this board" ("under 0.1 s" for less).
std::string estimateText(const Characterisation& run, std::chrono::duration<double> estimate);

// One JSON object with every figure, its uncertainty and the provenance.
std::string linearityJson(const LinearityResult& result, const CharacteriseSettings& settings,
                          const Provenance& provenance);
