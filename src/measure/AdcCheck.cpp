#include "measure/AdcCheck.h"

#include <algorithm>
#include <cmath>

#include "board/Declare.h"
#include "command/CodeVoltage.h"
#include "measure/AdcRules.h"
#include "measure/ResultTables.h"

namespace {

// The confidence with which 2u of an extreme covers every value it was picked from.
constexpr double kExtremeConfidence = 0.95;
// Counts at either end of a step's readings that are not taken as a transition: the noise's
// tail beyond the stepped range is not measured.
constexpr int32_t kEndMargin = 2;

int32_t codeAtPercent(double percent) {
    return static_cast<int32_t>(std::lround(percent / 100 * kFullScaleCode));
}

// The output's volts at each step, along the straight lines between the meter's points (the
// DAC's steps taken as equal between them).
std::vector<double> voltsOfSteps(const AdcCheckReadings& r) {
    std::vector<double> volts;
    std::size_t segment = 0;
    for (const int32_t code : r.codes) {
        while (segment + 2 < r.meter.size() && r.meter[segment + 1].code <= code)
            ++segment;
        const MeterPoint &a = r.meter[segment],
                         &b = r.meter[std::min(segment + 1, r.meter.size() - 1)];
        const double slope = b.code == a.code ? 0.0 : (b.volts - a.volts) / (b.code - a.code);
        volts.push_back(a.volts + slope * (code - a.code));
    }
    return volts;
}

// The input each step stands for: from halfway to the step below to halfway to the one above.
std::vector<double> widthsOfSteps(const std::vector<double>& volts) {
    std::vector<double> widths(volts.size(), 0.0);
    for (std::size_t j = 0; j < volts.size(); ++j) {
        const double below = j == 0 ? volts[1] - volts[0] : volts[j] - volts[j - 1];
        const double above =
            j + 1 == volts.size() ? volts[j] - volts[j - 1] : volts[j + 1] - volts[j];
        widths[j] = (below + above) / 2;
    }
    return widths;
}

struct Transitions {
    int32_t first = 0;
    std::vector<double> at;              // counts
    std::vector<double> randomVariance;  // the readings' and the meter's part
    std::vector<double> systematicVariance;
};

// Each reading of a step adds the step's width over the samples to its count's width; the
// transition into count k lies where the widths below k end. Its random part: at each step the
// share of readings below k is uncertain by its binomial spread.
Transitions transitionsOf(const AdcCheckReadings& r, const AdcCheckSettings& s, double meterNoise) {
    const std::vector<double> volts = voltsOfSteps(r);
    const std::vector<double> widths = widthsOfSteps(volts);
    const double lsb = s.adcReference / kAdcCounts;
    const auto n = static_cast<std::size_t>(s.samples);
    std::vector<double> countWidth(kAdcCounts + 1, 0.0), binomial(kAdcCounts + 1, 0.0);
    for (std::size_t j = 0; j < r.codes.size(); ++j) {
        std::vector<uint16_t> here(r.counts.begin() + static_cast<std::ptrdiff_t>(j * n),
                                   r.counts.begin() + static_cast<std::ptrdiff_t>((j + 1) * n));
        std::sort(here.begin(), here.end());
        const double step = widths[j] / lsb;
        for (std::size_t i = 0; i < n; ++i) {
            countWidth[here[i]] += step / static_cast<double>(n);
            if (i + 1 < n && here[i + 1] != here[i]) {
                // Readings 0 to i lie below every count above here[i] up to here[i + 1].
                const double f = static_cast<double>(i + 1) / static_cast<double>(n);
                for (int k = here[i] + 1; k <= here[i + 1]; ++k)
                    binomial[static_cast<std::size_t>(k)] +=
                        step * step * f * (1 - f) / static_cast<double>(n - 1);
            }
        }
    }
    const std::size_t last = r.codes.size() - 1;
    Transitions t;
    t.first =
        *std::max_element(r.counts.begin(), r.counts.begin() + static_cast<long>(n)) + kEndMargin;
    const int32_t top =
        *std::min_element(r.counts.begin() + static_cast<long>(last * n), r.counts.end()) -
        kEndMargin + 1;
    // One step's width, flat (its place within the step) and one DAC step's (the DAC's
    // steps between the meter's points).
    const double dacStep = s.dacReference / kDacCodes / lsb;
    const double stepCounts = (volts[last] - volts[0]) / lsb / static_cast<double>(last);
    const double systematic = stepCounts * stepCounts / 12 + dacStep * dacStep / 3;
    const double meter = meterNoise * meterNoise / 2 / (lsb * lsb);
    double x = (volts[0] - widths[0] / 2) / lsb;
    for (int32_t k = 0; k < top; ++k) {
        if (k >= t.first) {
            t.at.push_back(x);
            t.randomVariance.push_back(binomial[static_cast<std::size_t>(k)] + meter);
            t.systematicVariance.push_back(systematic);
        }
        x += countWidth[static_cast<std::size_t>(k)];
    }
    return t;
}

double rectangular(double limit) {
    return limit * limit / 3;
}

double meterNoiseOf(const std::vector<MeterPoint>& points) {
    double squares = 0;
    for (const MeterPoint& p : points)
        squares += p.difference * p.difference;
    // A difference of two readings spreads by sqrt(2) readings'.
    return std::sqrt(squares / (2 * static_cast<double>(points.size())));
}

// The largest of many values, 2u covering every one it was picked from at once.
struct Largest {
    double value = 0, random = 0, systematic = 0;
    int32_t at = 0;
    int among = 0;
    void offer(double v, double randomVariance, double systematicVariance, int32_t count) {
        if (among++ == 0 || std::abs(v) > std::abs(value)) {
            value = v;
            at = count;
        }
        random = std::max(random, randomVariance);
        systematic = std::max(systematic, systematicVariance);
    }
    Extreme extreme() const {
        const double z = simultaneousCoverage(among, kExtremeConfidence) / 2;
        return {{value, std::sqrt(z * z * random + systematic)}, at, among};
    }
};

void lineFigures(AdcCheckResult& result, const Transitions& t, const AdcCheckSettings& s) {
    const std::size_t last = t.at.size() - 1;
    const double x1 = t.at.front(), x2 = t.at[last];
    const double v1 = t.randomVariance.front() + t.systematicVariance.front();
    const double v2 = t.randomVariance[last] + t.systematicVariance[last];
    // k - 0.5 = slope x + offset through the first and last transitions.
    const double run = x2 - x1;
    const double slope = static_cast<double>(last) / run;
    const double offset = t.first - 0.5 - slope * x1;
    const MeterAccuracy m = s.meter.accuracy.value_or(MeterAccuracy{});
    const double rangeCounts =
        m.ppmOfRange * 1e-6 * s.meter.rangeVolts / (s.adcReference / kAdcCounts);
    const double offsetVariance = slope * slope * (x2 * x2 * v1 + x1 * x1 * v2) / (run * run);
    result.offsetCounts = {offset, std::sqrt(offsetVariance + rectangular(rangeCounts))};
    const double gainVariance = slope * slope * (v1 + v2) / (run * run);
    result.gainErrorPercent = {(slope - 1) * 100,
                               100 * std::sqrt(gainVariance + rectangular(m.ppmOfReading * 1e-6))};
    Largest inl, dnl;
    for (std::size_t i = 0; i <= last; ++i) {
        const auto count = static_cast<int32_t>(t.first + static_cast<int32_t>(i));
        const double a = (x2 - t.at[i]) / run, b = (t.at[i] - x1) / run;
        const double random = slope * slope * (t.randomVariance[i] + a * a * v1 + b * b * v2);
        inl.offer(count - 0.5 - (slope * t.at[i] + offset), random,
                  slope * slope * t.systematicVariance[i], count);
        if (i == last) break;
        dnl.offer(slope * (t.at[i + 1] - t.at[i]) - 1,
                  slope * slope * (t.randomVariance[i] + t.randomVariance[i + 1]),
                  slope * slope * (t.systematicVariance[i] + t.systematicVariance[i + 1]), count);
    }
    result.inl = inl.extreme();
    result.dnl = dnl.extreme();
}

}  // namespace

std::optional<std::string> adcCheckSettingsProblem(const AdcCheckSettings& s) {
    if (s.output < 0 || s.output > 3) return "the ADC is checked on one channel: give A, B, C or D";
    if (s.stride < 1 || s.stride > 256) return "the stride must be 1 to 256 codes";
    if (s.samples < 2 || s.samples > 4096) return "the readings per step must be 2 to 4096";
    if (s.meterEvery < s.stride || s.meterEvery > 4096) {
        return "the codes between meter readings must be the stride to 4096";
    }
    if (!(s.lowPercent >= 0 && s.lowPercent + 10 <= s.highPercent && s.highPercent <= 100)) {
        return "the range is LOW-HIGH in percent of full scale, at least 10 apart";
    }
    for (const double v : {s.dacReference, s.adcReference}) {
        if (!(v > 0) || !std::isfinite(v)) return "a reference is a number of volts above 0";
    }
    return meterSettingsProblem(s.meter);
}

AdcCheck::AdcCheck(Declare& requests, const AdcCheckSettings& settings, Meter& meter)
    : requests_(requests), settings_(settings), meter_(meter) {
    composer_.chooseCommand(Command::WriteAndUpdate);
    composer_.chooseChannel(static_cast<Channel>(settings.output));
    const int32_t from = codeAtPercent(settings.lowPercent);
    const int32_t to = codeAtPercent(settings.highPercent);
    for (int32_t code = from; code < to; code += settings.stride)
        plan_.push_back(code);
    plan_.push_back(to);
}

void AdcCheck::next() {
    if (next_ == 0) requests_.SelectMuxChannel(muxMask(settings_.output));
    const int32_t code = plan_[next_];
    composer_.setCode(code);
    requests_.WriteDacWord(composer_.word());
    settleFor(settings_.settle, checkpoint_);
    const bool last = next_ + 1 == plan_.size();
    if (next_ == 0 || last || code - lastMeterCode_ >= settings_.meterEvery) {
        const double a = meter_.readVolts(), b = meter_.readVolts();
        readings_.meter.push_back({code, (a + b) / 2, a - b});
        lastMeterCode_ = code;
    }
    readings_.codes.push_back(code);
    for (int32_t i = 0; i < settings_.samples; ++i)
        readings_.counts.push_back(static_cast<uint16_t>(requests_.ReadAdc()));
    ++next_;
}

AdcCheckResult analyseAdcCheck(const AdcCheckReadings& r, const AdcCheckSettings& s) {
    AdcCheckResult result;
    if (r.codes.size() < 2 || r.meter.size() < 2) {
        result.problem = "the run ended before two meter points were read";
        return result;
    }
    if (!(r.meter.back().volts > r.meter.front().volts)) {
        result.problem = "the meter's readings do not rise with the code: is it wired to output " +
                         inputName(s.output) + "?";
        return result;
    }
    result.meterNoiseVolts = meterNoiseOf(r.meter);
    const Transitions t = transitionsOf(r, s, result.meterNoiseVolts);
    if (t.at.size() < 3) {
        result.problem =
            "the readings cross fewer than three of the ADC's counts: the output "
            "does not reach the ADC, or the range is too narrow";
        return result;
    }
    result.firstCount = t.first;
    result.transitions = t.at;
    for (std::size_t i = 0; i < t.at.size(); ++i)
        result.transitionUncertainties.push_back(
            std::sqrt(t.randomVariance[i] + t.systematicVariance[i]));
    lineFigures(result, t, s);
    const auto covers = [](const Figure& f, double limit) {
        return guardBanded(f.value, 2 * f.uncertainty, limit);
    };
    result.covered = {covers(result.offsetCounts, s.adc.offsetCounts),
                      covers(result.gainErrorPercent, s.adc.gainPercent + s.adc.referencePercent),
                      covers(result.inl.figure, s.adc.inlCounts),
                      covers(result.dnl.figure, s.adc.dnlCounts)};
    return result;
}

AdcCalibration calibrationOf(const AdcCheckResult& r, const AdcCheckSettings& s,
                             const std::string& board) {
    const double root3 = std::sqrt(3.0);
    double widest = 0;
    for (const double u : r.transitionUncertainties)
        widest = std::max(widest, u);
    // A mean between two counts' middles may be off by half a count's width error; each
    // middle by its transitions' uncertainty.
    const double perCount =
        root3 * widest + (std::abs(r.dnl.figure.value) + 2 * r.dnl.figure.uncertainty) / 2;
    return {calibrationBoardName(board),
            s.output,
            s.adcReference,
            r.firstCount,
            r.transitions,
            r.offsetCounts.value,
            r.gainErrorPercent.value,
            root3 * r.offsetCounts.uncertainty,
            root3 * r.gainErrorPercent.uncertainty,
            perCount,
            perCount};
}

std::string adcCheckSummary(const AdcCheckResult& r, const AdcCheckSettings& s) {
    const auto row = [&r](const char* name, const Figure& f, const char* unit, double limit,
                          std::size_t i) {
        static constexpr std::array<const char*, 3> kCover{"covered", "NOT covered",
                                                           "not told apart"};
        return std::string(name) + ": " + fixed(f.value, 4) + " +/- " + fixed(f.uncertainty, 4) +
               " " + unit + " (stated " + fixed(limit, 3) + " " + unit + ": " +
               kCover[static_cast<std::size_t>(r.covered[i])] + ")\n";
    };
    std::string text =
        "Counts checked: " + std::to_string(r.firstCount) + " to " +
        std::to_string(r.firstCount + static_cast<int32_t>(r.transitions.size()) - 1) + "\n";
    text += row("ADC offset", r.offsetCounts, "counts", s.adc.offsetCounts, 0);
    text += row("ADC gain error", r.gainErrorPercent, "%",
                s.adc.gainPercent + s.adc.referencePercent, 1);
    text += row("ADC INL", r.inl.figure, "counts", s.adc.inlCounts, 2) + "  at count " +
            std::to_string(r.inl.code) + "\n";
    text += row("ADC DNL", r.dnl.figure, "counts", s.adc.dnlCounts, 3) + "  at count " +
            std::to_string(r.dnl.code) + "\n";
    text += "Meter noise: " + fixed(r.meterNoiseVolts * 1e6, 2) + " uV\n";
    if (!s.meter.accuracy) text += "The meter's accuracy is not stated and not included.\n";
    return text;
}
