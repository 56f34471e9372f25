#include "measure/Verdicts.h"

#include <algorithm>
#include <cmath>

#include "command/NumberReading.h"

std::optional<FigureLimit> parseLimit(const std::string& text, std::string& problem) {
    const std::size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const auto at = std::find(kLimitNames.begin(), kLimitNames.end(), name);
    const auto value =
        eq == std::string::npos ? std::nullopt : readStrictDecimal(text.substr(eq + 1));
    if (at == kLimitNames.end() || !value || !(*value > 0) || !std::isfinite(*value)) {
        problem =
            "a limit is NAME=VALUE, VALUE above 0 and NAME one of offset-mv, gain-pct, "
            "zero-mv, full-scale-mv, inl-lsb, dnl-lsb, tue-lsb: not \"" +
            text + "\"";
        return std::nullopt;
    }
    return FigureLimit{static_cast<int>(at - kLimitNames.begin()), *value};
}

Verdict guardBanded(double value, double expanded, double limit) {
    if (std::abs(value) + expanded <= limit) return Verdict::Pass;
    if (std::abs(value) - expanded > limit) return Verdict::Fail;
    return Verdict::Indeterminate;
}

Verdict overallVerdict(const std::vector<FigureVerdict>& verdicts) {
    const auto any = [&](Verdict v) {
        return std::any_of(verdicts.begin(), verdicts.end(),
                           [v](const FigureVerdict& f) { return f.verdict == v; });
    };
    if (any(Verdict::Fail)) return Verdict::Fail;
    return any(Verdict::Indeterminate) ? Verdict::Indeterminate : Verdict::Pass;
}

int verdictStatus(Verdict verdict) {
    return verdict == Verdict::Pass ? 0 : verdict == Verdict::Fail ? 5 : 6;
}
