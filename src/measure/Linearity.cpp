#include "measure/Linearity.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "command/CodeVoltage.h"
#include "measure/AdcRules.h"
#include "measure/ResultTables.h"

namespace {

// The variance of a limit's equally likely errors: limit^2 / 3.
double rectangular(double limit) {
    return limit * limit / 3;
}

// The largest bias rounding leaves in the mean of readings with Gaussian noise of sigma counts
// ahead of the converter: the sizes of the bias's harmonics added up, never above half a count.
double roundingBound(double sigma) {
    double bound = 0;
    for (int k = 1; k <= 8; ++k) {
        bound += std::exp(-2 * std::numbers::pi * std::numbers::pi * k * k * sigma * sigma) /
                 (std::numbers::pi * k);
    }
    return std::min(0.5, bound);
}

// Noise ahead of the converter is close to Gaussian after it rounds (an excess kurtosis near
// 0); a spread of whole counts added after it is flat (-1.5 for +/-1 count).
constexpr double kLeastGaussianKurtosis = -0.6;
// Above this bias the mean of a code is said to be limited by the rounding.
constexpr double kAveragingBoundCounts = 0.1;
// One-code steps whose uncertainty is above this (in steps) cannot tell a step of 0 from 1.
constexpr double kResolvedDnlUncertainty = 0.25;
// The confidence with which 2u of an extreme covers every value it was picked from.
constexpr double kExtremeConfidence = 0.95;
// The confidence at which a fall is claimed among all the steps tested.
constexpr double kFallConfidence = 0.99;
// The share of the largest INL's variance above which the board's ADC limits the figures.
constexpr double kAdcLimitedShare = 0.5;

// A dither spreads each code's readings over whole codes, so the ADC's transitions fall
// between its codes in steps of one code: the mean may be off by up to half a code's worth of
// counts, alike at every code. That part of the uncertainty is shared by all codes, so it goes
// into the figures measured against the ideal line, not into each mean.
double ditherVariance(int32_t dither, double countsPerCode) {
    return dither > 0 ? countsPerCode * countsPerCode / 12 : 0.0;
}

// The spread of the readings pooled over the codes that are not clipped, and whether its shape
// is that of noise ahead of the converter (from the differences of pairs of readings).
struct Spread {
    double sigma = 0;
    bool beforeConverter = false;
};

Spread pooledSpread(const std::vector<CodeReadings>& readings, bool dithered) {
    double squares = 0, degrees = 0, pairs = 0, pairSquares = 0, pairFourths = 0;
    for (const CodeReadings& r : readings) {
        if (r.clipped || r.count < 2) continue;
        squares += r.variance() * static_cast<double>(r.count - 1);
        degrees += static_cast<double>(r.count - 1);
        const int64_t pairsHere = r.count / 2;  // whole pairs only
        pairs += static_cast<double>(pairsHere);
        pairSquares += r.pairSquares;
        pairFourths += r.pairFourths;
    }
    Spread spread;
    spread.sigma = degrees > 0 ? std::sqrt(squares / degrees) : 0.0;
    if (pairSquares == 0) return spread;
    // The difference d of two readings: its 4th cumulant is twice a reading's, its variance
    // twice a reading's, so a reading's excess kurtosis is 2 (E d^4 - 3 (E d^2)^2) / (E d^2)^2.
    const double m2 = pairSquares / pairs, m4 = pairFourths / pairs;
    // A dither is a spread ahead of the converter by its making.
    spread.beforeConverter =
        dithered || 2 * (m4 - 3 * m2 * m2) / (m2 * m2) >= kLeastGaussianKurtosis;
    return spread;
}

// Below this many readings a code's own spread is too uncertain to go by (with 2 it is 0 one
// time in three on a noisy board): the spread pooled over all codes is taken instead.
constexpr int64_t kOwnSpreadReadings = 30;

// A mean count with its variance from the readings' spread; the fit works on its error, the
// mean less the ideal count, so that an ideal output gives errors of exactly 0.
struct Mean {
    double code;
    double ideal;
    double error;
    double variance;
    bool usable;  // not clipped
};

std::vector<Mean> meansOf(const std::vector<CodeReadings>& readings, double countsPerCode,
                          double pooledVariance, const std::optional<AdcCalibration>& calibration) {
    std::vector<Mean> means;
    for (const CodeReadings& r : readings) {
        const double own = r.count < kOwnSpreadReadings ? 0.0 : r.variance();
        const double variance = std::max(own, pooledVariance) / static_cast<double>(r.count);
        const double ideal = countsPerCode * r.code;
        means.push_back({static_cast<double>(r.code), ideal, r.mean(calibration) - ideal, variance,
                         !r.clipped});
    }
    return means;
}

// error = offset + slope error x code, in counts. Both are linear in the fitted errors,
// offset = sum c_i e_i and slope error = sum d_i e_i, so their variances and covariance follow
// from the means'.
struct Line {
    double offset = 0;
    double slopeError = 0;
    std::vector<double> c, d;  // per measured code; 0 where it is not fitted
    double offsetVariance = 0, slopeVariance = 0, covariance = 0;
    double slopeWeight = 0;  // sum |d_i|
    // The end points' indices, or for least squares the fitted codes less their mean in
    // ascending order with their running sums.
    FitLine kind = FitLine::LeastSquares;
    std::size_t first = 0, last = 0;
    double meanCode = 0, spread = 0;
    std::vector<double> centred, runningSum;
};

int32_t codeAtPercent(double percent, bool up) {
    const double code = percent / 100 * kFullScaleCode;
    return static_cast<int32_t>(up ? std::ceil(code) : std::floor(code));
}

std::vector<std::size_t> fitIndices(const std::vector<Mean>& means, const CharacteriseSettings& s) {
    const int32_t low = codeAtPercent(s.fitLowPercent, true);
    const int32_t high = codeAtPercent(s.fitHighPercent, false);
    std::vector<std::size_t> fitted;
    for (std::size_t i = 0; i < means.size(); ++i) {
        if (means[i].usable && means[i].code >= low && means[i].code <= high) fitted.push_back(i);
    }
    return fitted;
}

void setCoefficients(Line& line, const std::vector<Mean>& means,
                     const std::vector<std::size_t>& fitted) {
    line.c.assign(means.size(), 0);
    line.d.assign(means.size(), 0);
    line.first = fitted.front();
    line.last = fitted.back();
    if (line.kind == FitLine::EndPoint) {
        const std::size_t p = line.first, q = line.last;
        const double run = means[q].code - means[p].code;
        line.d[p] = -1 / run;
        line.d[q] = 1 / run;
        line.c[p] = 1 + means[p].code / run;
        line.c[q] = -means[p].code / run;
        return;
    }
    const auto n = static_cast<double>(fitted.size());
    for (const std::size_t i : fitted)
        line.meanCode += means[i].code / n;
    double sum = 0;
    for (const std::size_t i : fitted) {
        const double t = means[i].code - line.meanCode;
        line.spread += t * t;
        line.centred.push_back(t);
        line.runningSum.push_back(sum);
        sum += t;
    }
    line.runningSum.push_back(sum);
    for (const std::size_t i : fitted) {
        line.d[i] = (means[i].code - line.meanCode) / line.spread;
        line.c[i] = 1 / n - line.meanCode * line.d[i];
    }
}

Line fitLine(const std::vector<Mean>& means, const std::vector<std::size_t>& fitted, FitLine kind) {
    Line line;
    line.kind = kind;
    setCoefficients(line, means, fitted);
    for (const std::size_t i : fitted) {
        line.offset += line.c[i] * means[i].error;
        line.slopeError += line.d[i] * means[i].error;
        line.offsetVariance += line.c[i] * line.c[i] * means[i].variance;
        line.slopeVariance += line.d[i] * line.d[i] * means[i].variance;
        line.covariance += line.c[i] * line.d[i] * means[i].variance;
        line.slopeWeight += std::abs(line.d[i]);
    }
    return line;
}

// sum |c_i + code d_i|: how far errors bounded alike at every fitted code may move the line at
// code. Least-squares weights 1/n + k t_i rise or fall with the centred code t_i, so those
// below 0 are a run at one end.
double lineWeight(const Line& line, double code) {
    if (line.kind == FitLine::EndPoint) {
        return std::abs(line.c[line.first] + code * line.d[line.first]) +
               std::abs(line.c[line.last] + code * line.d[line.last]);
    }
    const auto n = static_cast<double>(line.centred.size());
    const double k = (code - line.meanCode) / line.spread;
    if (k == 0) return 1;
    const double zero = -1 / (n * k);
    const auto split = static_cast<std::size_t>(
        std::lower_bound(line.centred.begin(), line.centred.end(), zero) - line.centred.begin());
    const double below = static_cast<double>(split) / n + k * line.runningSum[split];
    const double total = 1 + k * line.runningSum.back();
    // Weights below the zero are negative when k > 0, those above it when k < 0.
    const double negative = k > 0 ? below : total - below;
    return total - 2 * negative;
}

// The terms alike in every figure: errors bounded at each code (the rounding and the ADC's INL),
// the ADC's offset, its gain with the reference's tolerance (a fraction of the count) and the
// dither's shared part, in counts.
struct Systematic {
    double perCodeVariance;  // bound^2 / 3 of one code's error
    double adcPerCodeVariance;
    double offsetVariance;
    double gainFraction;
    double ditherVariance;

    // Of an error against the ideal line at a code reading `ideal` counts.
    double atCode(double ideal) const {
        return perCodeVariance + offsetVariance + rectangular(gainFraction * ideal) +
               ditherVariance;
    }
};

Systematic systematicOf(const LinearityResult& r, const CharacteriseSettings& s,
                        double countsPerCode) {
    const AdcAccuracy a = readerAccuracy(s);
    const double adc = rectangular(a.inlCounts);
    return {rectangular(r.roundingBoundCounts) + adc, adc, rectangular(a.offsetCounts),
            std::hypot(a.gainPercent, a.referencePercent) / 100,
            ditherVariance(s.dither, countsPerCode)};
}

Figure scaled(Figure f, double by) {
    return {f.value * by, f.uncertainty * std::abs(by)};
}

struct Estimate {
    double value;
    double variance;
};

// A code's distance from the line, in counts, with the variance of its readings' part. The
// line's own uncertainty at the code, plus the code's, less what they share when it is fitted.
Estimate residual(const Line& line, const std::vector<Mean>& means, std::size_t j) {
    const Mean& m = means[j];
    const double shared = line.c[j] + m.code * line.d[j];
    const double lineVariance =
        line.offsetVariance + 2 * m.code * line.covariance + m.code * m.code * line.slopeVariance;
    const double variance =
        m.variance * (1 - shared) * (1 - shared) + lineVariance - shared * shared * m.variance;
    return {m.error - line.offset - line.slopeError * m.code, std::max(0.0, variance)};
}

// Collects the largest of many figures: the value of largest size (or the smallest or largest
// value), the largest random variance and the largest systematic one among them.
class Largest {
public:
    enum class Pick { Size, Smallest, Largest };
    explicit Largest(Pick pick) : pick_(pick) {}

    void offer(double value, double randomVariance, double systematicVariance, int32_t code) {
        if (among_ == 0 || better(value)) {
            value_ = value;
            code_ = code;
        }
        ++among_;
        random_ = std::max(random_, randomVariance);
        systematic_ = std::max(systematic_, systematicVariance);
    }
    int among() const { return among_; }
    // Every value lies within z sqrt(random) of its truth at once (95 %), z for their number:
    // so does the largest. Half of that is stated as its standard uncertainty.
    Extreme extreme() const {
        const double z = simultaneousCoverage(among_, kExtremeConfidence) / 2;
        return {{value_, std::sqrt(z * z * random_ + systematic_)}, code_, among_};
    }

private:
    bool better(double value) const {
        if (pick_ == Pick::Smallest) return value < value_;
        if (pick_ == Pick::Largest) return value > value_;
        return std::abs(value) > std::abs(value_);
    }
    Pick pick_;
    double value_ = 0, random_ = 0, systematic_ = 0;
    int32_t code_ = 0;
    int among_ = 0;
};

// Steps between neighbouring measured codes: a fall is one no noise of so many steps explains
// (the rounding and the ADC never make a rising output fall); every one-code step gets its
// DNL, (rise - the line's step) / the line's step, taken on the errors so that an ideal step
// gives exactly 0.
void stepFigures(LinearityResult& result, const std::vector<Mean>& means, const Line& line,
                 double countsPerCode, const CharacteriseSettings& s) {
    const double slope = countsPerCode + line.slopeError;
    std::vector<std::size_t> usable;
    for (std::size_t j = 0; j < means.size(); ++j) {
        if (means[j].usable) usable.push_back(j);
    }
    // A fall is claimed when the noise of all the steps tested gives one less than 1 % of the
    // time.
    const double z = simultaneousCoverage(static_cast<int>(usable.size()) - 1, kFallConfidence);
    double finestFall = 0;  // the largest allowance of a one-code step, in steps
    double worstDnl = 0;    // the largest uncertainty of a one-code step's DNL
    // Rounding bounded at both codes; the ADC's DNL as a share of the step.
    const double systematic = rectangular(2 * result.roundingBoundCounts / slope) +
                              rectangular(readerAccuracy(s).dnlCounts);
    Largest smallest(Largest::Pick::Smallest), largest(Largest::Pick::Largest);
    for (std::size_t k = 1; k < usable.size(); ++k) {
        const Mean &below = means[usable[k - 1]], &here = means[usable[k]];
        const double run = here.code - below.code;
        const double rise = here.error - below.error + countsPerCode * run;
        const double riseVariance = below.variance + here.variance;
        const auto code = static_cast<int32_t>(here.code);
        if (rise < -z * std::sqrt(riseVariance) && !result.firstNonMonotonicCode) {
            result.firstNonMonotonicCode = code;
        }
        if (run != 1) continue;
        const double dnl = (here.error - below.error - line.slopeError) / slope;
        const double randomVariance = riseVariance / (slope * slope);
        finestFall = std::max(finestFall, z * std::sqrt(randomVariance));
        result.codes[usable[k]].dnl = Figure{dnl, std::sqrt(randomVariance + systematic)};
        worstDnl = std::max(worstDnl, result.codes[usable[k]].dnl->uncertainty);
        smallest.offer(dnl, randomVariance, systematic, code);
        largest.offer(dnl, randomVariance, systematic, code);
    }
    result.oneCodeSteps = largest.among();
    result.firstCode = static_cast<int32_t>(means[usable.front()].code);
    result.lastCode = static_cast<int32_t>(means[usable.back()].code);
    result.everyStep = s.dither == 0 && result.oneCodeSteps > 0 &&
                       result.oneCodeSteps == result.lastCode - result.firstCode;
    if (result.firstNonMonotonicCode) {
        result.monotonic = false;
    } else if (result.everyStep && finestFall <= 1) {
        result.monotonic = true;
    }
    if (result.oneCodeSteps == 0) return;
    result.dnlMin = smallest.extreme();
    result.dnlMax = largest.extreme();
    result.dnlResolved = s.dither == 0 && worstDnl <= kResolvedDnlUncertainty;
}

std::string fitRangeProblem(const CharacteriseSettings& s) {
    return "fewer than two measured codes lie in the fit range, " + fixed(s.fitLowPercent, 1) +
           "-" + fixed(s.fitHighPercent, 1) + " % of full scale (codes " +
           codeText(codeAtPercent(s.fitLowPercent, true)) + " to " +
           codeText(codeAtPercent(s.fitHighPercent, false)) +
           "), without reading at an end of the ADC: measure codes there or widen the fit range";
}

// Figures against the line: offset, gain, each code's INL and the largest of them.
void lineFigures(LinearityResult& result, const std::vector<Mean>& means, const Line& line,
                 const Systematic& sys, double countsPerCode, double millivoltsPerCount) {
    const double slope = countsPerCode + line.slopeError;
    const double offsetVariance = line.offsetVariance +
                                  sys.perCodeVariance * std::pow(lineWeight(line, 0), 2) +
                                  sys.offsetVariance + sys.ditherVariance;
    result.offsetMillivolts = scaled({line.offset, std::sqrt(offsetVariance)}, millivoltsPerCount);
    const double slopeVariance =
        line.slopeVariance + sys.perCodeVariance * line.slopeWeight * line.slopeWeight;
    result.gainErrorPercent = {line.slopeError / countsPerCode * 100,
                               std::hypot(std::sqrt(slopeVariance) / countsPerCode,
                                          std::sqrt(rectangular(sys.gainFraction))) *
                                   100};
    Largest inl(Largest::Pick::Size);
    double adcShare = 0;
    for (std::size_t j = 0; j < means.size(); ++j) {
        if (!means[j].usable) continue;
        const Estimate r = residual(line, means, j);
        const double weight = 1 + lineWeight(line, means[j].code);
        const double systematic = sys.perCodeVariance * weight * weight;
        result.codes[j].inl = scaled({r.value, std::sqrt(r.variance + systematic)}, 1 / slope);
        inl.offer(r.value / slope, r.variance / (slope * slope), systematic / (slope * slope),
                  result.codes[j].code);
        adcShare = std::max(adcShare,
                            sys.adcPerCodeVariance * weight * weight / (r.variance + systematic));
    }
    result.inlMax = inl.extreme();
    result.adcLimited = adcShare > kAdcLimitedShare;
}

// Figures against the ideal line: zero-code and full-scale errors and the largest of them all.
void idealFigures(LinearityResult& result, const std::vector<Mean>& means, const Systematic& sys,
                  double countsPerCode, double millivoltsPerCount) {
    Largest tue(Largest::Pick::Size);
    for (std::size_t j = 0; j < means.size(); ++j) {
        const Mean& m = means[j];
        if (!m.usable) continue;
        const int32_t code = result.codes[j].code;
        const Figure error{m.error, std::sqrt(m.variance + sys.atCode(m.ideal))};
        tue.offer(m.error / countsPerCode, m.variance / (countsPerCode * countsPerCode),
                  sys.atCode(m.ideal) / (countsPerCode * countsPerCode), code);
        if (code == 0) result.zeroCodeErrorMillivolts = scaled(error, millivoltsPerCount);
        if (code == kFullScaleCode) {
            result.fullScaleErrorMillivolts = scaled(error, millivoltsPerCount);
        }
    }
    result.totalUnadjustedErrorLsb = tue.extreme();
}

}  // namespace

double simultaneousCoverage(int n, double confidence) {
    // The two-sided tail each of n values may have so that all stay inside at that confidence;
    // the quantile found by halving, erfc falling from 1 at 0.
    const double tail = -std::expm1(std::log(confidence) / std::max(1, n));
    double low = 0, high = 40;
    for (int i = 0; i < 100; ++i) {
        const double mid = (low + high) / 2;
        (std::erfc(mid / std::numbers::sqrt2) > tail ? low : high) = mid;
    }
    return low;
}

LinearityResult analyseLinearity(const std::vector<CodeReadings>& readings,
                                 const CharacteriseSettings& s) {
    LinearityResult result;
    const double countsPerCode = (s.dacReference / kDacCodes) / voltsPerCount(s);
    const double millivoltsPerCount = voltsPerCount(s) * 1000;
    result.lsbPerAdcCount = 1 / countsPerCode;
    const Spread spread = pooledSpread(readings, s.dither > 0);
    result.noiseCounts = spread.sigma;
    result.noiseBeforeConverter = spread.beforeConverter;
    // Rounding adds 1/12 count^2 to noise ahead of it; what is left is that noise.
    const double ahead = spread.beforeConverter
                             ? std::sqrt(std::max(0.0, spread.sigma * spread.sigma - 1.0 / 12))
                             : 0.0;
    result.roundingBoundCounts = roundingBound(ahead);
    // A meter's microvolt is a small part of a step: its rounding never limits the figures.
    result.averagingLimited = !s.meter && result.roundingBoundCounts >= kAveragingBoundCounts;
    const std::vector<Mean> means =
        meansOf(readings, countsPerCode, spread.sigma * spread.sigma, s.calibration);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const double mean = readings[i].mean(s.calibration);
        result.codes.push_back({readings[i].code,
                                readings[i].count,
                                {mean, std::sqrt(means[i].variance)},
                                mean * voltsPerCount(s),
                                !means[i].usable,
                                std::nullopt,
                                std::nullopt});
    }
    const std::vector<std::size_t> fitted = fitIndices(means, s);
    result.fitPoints = static_cast<int>(fitted.size());
    if (fitted.size() < 2) {
        result.problem = fitRangeProblem(s);
        return result;
    }
    const Line line = fitLine(means, fitted, s.line);
    const Systematic sys = systematicOf(result, s, countsPerCode);
    const double slope = countsPerCode + line.slopeError;
    const double slopeUncertainty =
        std::sqrt(line.slopeVariance + sys.perCodeVariance * line.slopeWeight * line.slopeWeight);
    if (slope <= 2 * slopeUncertainty) {
        result.problem = "the output does not follow the code: the line rises " +
                         fixed(slope * 1000, 4) + " +/- " + fixed(slopeUncertainty * 1000, 4) +
                         " ADC counts per 1000 codes, not clearly above 0, so it has no "
                         "offset, gain or linearity to give";
        return result;
    }
    lineFigures(result, means, line, sys, countsPerCode, millivoltsPerCount);
    idealFigures(result, means, sys, countsPerCode, millivoltsPerCount);
    stepFigures(result, means, line, countsPerCode, s);
    return result;
}

std::vector<FigureVerdict> judgeFigures(const LinearityResult& r,
                                        const std::vector<FigureLimit>& limits) {
    // The DNL of larger size of the smallest and the largest.
    std::optional<Figure> dnl;
    if (r.dnlMin && r.dnlMax) {
        dnl = std::abs(r.dnlMin->figure.value) > std::abs(r.dnlMax->figure.value)
                  ? r.dnlMin->figure
                  : r.dnlMax->figure;
    }
    const std::array<std::optional<Figure>, kLimitNames.size()> figures{
        r.offsetMillivolts,
        r.gainErrorPercent,
        r.zeroCodeErrorMillivolts,
        r.fullScaleErrorMillivolts,
        r.inlMax.figure,
        dnl,
        r.totalUnadjustedErrorLsb.figure};
    std::vector<FigureVerdict> verdicts;
    for (const FigureLimit& limit : limits) {
        const std::optional<Figure>& f = figures[static_cast<std::size_t>(limit.figure)];
        FigureVerdict v{limit, std::nullopt, 0, Verdict::Indeterminate};
        if (f) {
            v.value = f->value;
            v.expanded = 2 * f->uncertainty;
            v.verdict = guardBanded(f->value, v.expanded, limit.value);
        }
        verdicts.push_back(v);
    }
    return verdicts;
}
