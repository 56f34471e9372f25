#include "measure/Sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/Declare.h"
#include "command/CodeVoltage.h"
#include "measure/AdcRules.h"
#include "measure/CodePlan.h"

namespace {

int32_t idealOf(const SweepPoint& p) {
    return p.count - p.difference;
}

// A point at either end of the ADC's range says nothing of the DAC's line.
bool offTheEnds(const SweepPoint& p) {
    return p.count > 0 && p.count < kTopCount && idealOf(p) > 0 && idealOf(p) < kTopCount;
}

}  // namespace

Sweep::Sweep(Declare& requests, const SweepSettings& settings, Meter* meter,
             std::optional<AdcCalibration> calibration)
    : requests_(requests),
      settings_(settings),
      meter_(meter),
      calibration_(std::move(calibration)),
      next_(settings.from) {
    composer_.chooseCommand(Command::WriteAndUpdate);
    composer_.chooseChannel(static_cast<Channel>(settings.output));
}

int Sweep::total() const {
    return steppedCount(settings_.from, settings_.to, settings_.step);
}

SweepPoint Sweep::next() {
    if (measured_ == 0 && meter_ == nullptr) requests_.SelectMuxChannel(muxMask(settings_.output));
    const int32_t code = next_;
    next_ = steppedNext(code, settings_.to, settings_.step);
    ++measured_;
    composer_.setCode(code);
    requests_.WriteDacWord(composer_.word());
    settleFor(settings_.settle, checkpoint_);
    const double ideal = idealVolts(code, settings_.dacReference);
    const double volts = meter_ != nullptr ? meter_->readVolts()
                                           : adcReadingVolts(requests_.ReadAdc(),
                                                             settings_.adcReference, calibration_);
    // The count an ideal converter gives for the volts: the board ADC's own, uncalibrated.
    const int32_t count = idealCount(volts, settings_.adcReference);
    return {code, ideal, count, volts, count - idealCount(ideal, settings_.adcReference)};
}

double adcReadingVolts(int32_t count, double reference,
                       const std::optional<AdcCalibration>& calibration) {
    if (!calibration) return adcVolts(count, reference);
    return correctedCount(*calibration, count) * reference / kAdcCounts;
}

std::optional<std::string> sweepSettingsProblem(const SweepSettings& s) {
    if (s.output < 0 || s.output > 3) return "a sweep reads one channel back: give A, B, C or D";
    if (s.step < 1) return "the step must be 1 or more";
    if (s.to < s.from) return "the sweep's last code lies below its first";
    if (!(s.dacReference > 0)) return "the DAC reference is a number of volts above 0";
    return std::nullopt;
}

int32_t idealCount(double volts, double adcReference) {
    const double counts = std::round(volts / adcReference * kAdcCounts);
    return static_cast<int32_t>(std::clamp(counts, 0.0, double(kTopCount)));
}

SweepSummary summarize(const std::vector<SweepPoint>& points) {
    SweepSummary summary{0, 0, 0};
    for (const SweepPoint& p : points) {
        if (std::abs(p.difference) > std::abs(summary.largestDifference)) {
            summary.largestDifference = p.difference;
        }
    }
    // Sums for the line count = offset + slope x ideal count.
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const SweepPoint& p : points) {
        if (!offTheEnds(p)) continue;
        const double x = idealOf(p);
        const double y = p.count;
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double spread = n * sxx - sx * sx;
    if (spread == 0) return summary;  // fewer than two distinct ideal counts
    const double slope = (n * sxy - sx * sy) / spread;
    summary.offsetCounts = (sy - slope * sx) / n;
    summary.gainErrorPercent = (slope - 1.0) * 100.0;
    return summary;
}
