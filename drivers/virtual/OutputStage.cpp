#include "OutputStage.h"

#include <algorithm>

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
