#include "OutputStage.h"

#include <algorithm>
#include <cmath>

double outputStageVolts(const OutputErrors& errors, uint16_t code, double reference) {
    const double step = reference / 65536.0;
    // The bow is a parabola through both end codes: 4 x (1 - x) is 1 at mid scale.
    const double x = code / 65535.0;
    double steps = errors.bowLsb * 4 * x * (1 - x);
    for (const CodeStep& s : errors.steps) {
        if (code >= s.code) steps += s.lsb;
    }
    const double volts = code * step * (1 + errors.gainPercent / 100) +
                         errors.offsetMillivolts / 1000 + steps * step;
    return std::clamp(volts, 0.0, reference);
}

double adcExactCounts(const AdcErrors& errors, double volts) {
    const double counts = volts / errors.reference * 4096;
    const double x = counts / 4096;
    return counts * (1 + errors.gainPercent / 100) + errors.bowCounts * 4 * x * (1 - x) +
           errors.offsetCounts;
}

int adcRounded(const AdcErrors& errors, double exact) {
    auto count = static_cast<int>(std::lround(exact));
    for (const AdcTransition& t : errors.transitions) {
        const double at = t.count - 0.5 + t.counts;
        if (count == t.count && exact < at) count = t.count - 1;
        if (count == t.count - 1 && exact >= at) count = t.count;
    }
    return count;
}
