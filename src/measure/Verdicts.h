#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// Data-sheet limits on the size of a figure and the verdicts against them, with the guard band
// of the figure's expanded uncertainty U = 2u (the simple decision rule with guard banding):
// PASS when |x| + U <= limit, FAIL when |x| - U > limit, INDETERMINATE otherwise.

enum class Verdict { Pass, Fail, Indeterminate };

inline constexpr std::array<const char*, 7> kLimitNames{
    "offset-mv", "gain-pct", "zero-mv", "full-scale-mv", "inl-lsb", "dnl-lsb", "tue-lsb"};
inline constexpr std::array<const char*, 3> kVerdictNames{"PASS", "FAIL", "INDETERMINATE"};

struct FigureLimit {
    int figure = 0;  // index in kLimitNames
    double value = 0;
};

// "inl-lsb=4": the limit, or nothing with problem set to what is wrong.
std::optional<FigureLimit> parseLimit(const std::string& text, std::string& problem);

Verdict guardBanded(double value, double expanded, double limit);

// One limited figure's verdict; no value when the figure was not measured (INDETERMINATE).
struct FigureVerdict {
    FigureLimit limit;
    std::optional<double> value;
    double expanded = 0;  // U = 2u
    Verdict verdict = Verdict::Indeterminate;
};

// FAIL if any fails, else INDETERMINATE if any is, else PASS.
Verdict overallVerdict(const std::vector<FigureVerdict>& verdicts);

// The exit status of a run judged so: 0 PASS, 5 FAIL, 6 INDETERMINATE.
int verdictStatus(Verdict verdict);
