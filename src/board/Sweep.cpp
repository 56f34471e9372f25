#include "board/Sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "board/AdcRules.h"
#include "board/Declare.h"

namespace {

constexpr int kWriteAndUpdate = 3;
constexpr int32_t kTopCount = 4095;

int32_t idealOf(const SweepPoint& p) {
    return p.count - p.difference;
}

// A point at either end of the ADC's range says nothing of the DAC's line.
bool offTheEnds(const SweepPoint& p) {
    return p.count > 0 && p.count < kTopCount && idealOf(p) > 0 && idealOf(p) < kTopCount;
}

}  // namespace

Sweep::Sweep(Declare& requests, const SweepSettings& settings)
    : requests_(requests), settings_(settings), next_(settings.from) {
    composer_.chooseCommand(kWriteAndUpdate);
    composer_.chooseChannel(settings.output);
}

int Sweep::total() const {
    if (settings_.to < settings_.from) return 0;
    return (settings_.to - settings_.from) / settings_.step + 1;
}

SweepPoint Sweep::next() {
    if (measured_ == 0) requests_.SelectMuxChannel(muxMask(settings_.output));
    const int32_t code = next_;
    next_ += settings_.step;
    ++measured_;
    composer_.setCode(code);
    requests_.WriteDacWord(composer_.word());
    std::this_thread::sleep_for(settings_.settle);  // returns at once for none
    const int32_t count = requests_.ReadAdc();
    const double ideal = code * (settings_.dacReference / 65536.0);
    return {code, ideal, count, adcVolts(count, settings_.adcReference),
            count - idealCount(ideal, settings_.adcReference)};
}

int32_t idealCount(double volts, double adcReference) {
    const double counts = std::round(volts / adcReference * 4096.0);
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
