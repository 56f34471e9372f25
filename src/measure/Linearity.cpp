#include "measure/Linearity.h"

#include <algorithm>
#include <cmath>

#include "command/CodeVoltage.h"
#include "measure/AdcRules.h"

namespace {

// Below this spread (in counts) the mean of readings no longer falls between two counts.
constexpr double kAveragingNoiseCounts = 0.5;
// The variance of rounding to whole counts, left in every mean of a board too quiet to
// average it away.
constexpr double kRoundingVariance = 1.0 / 12;
// One-code steps whose uncertainty is above this (in steps) cannot tell a step of 0 from 1.
constexpr double kResolvedDnlUncertainty = 0.25;
// A dither spreads each code's readings over whole codes, so the ADC's transitions fall
// between its codes in steps of one code: the mean may be off by up to half a code's worth of
// counts, alike at every code. That part of the uncertainty is shared by all codes, so it goes
// into the figures measured against the ideal line, not into each mean.
double ditherVariance(int32_t dither, double countsPerCode) {
    return dither > 0 ? countsPerCode * countsPerCode / 12 : 0.0;
}

Figure withShared(Figure f, double sharedVariance, double scale) {
    return {f.value, std::sqrt(f.uncertainty * f.uncertainty + sharedVariance * scale * scale)};
}

// A step falls beyond doubt when it stays below 0 by more than twice its uncertainty.
constexpr double kCoverage = 2;

// A mean count with its variance; the fit works on its error, the mean less the ideal count,
// so that an ideal output gives errors of exactly 0 and figures of exactly 0.
struct Mean {
    double code;
    double error;
    double variance;
    bool usable;  // not clipped
};

// error = offset + slope error x code, in counts. Both are linear in the fitted errors,
// offset = sum c_i e_i and slope error = sum d_i e_i, so their variances and covariance follow
// from the means'.
struct Line {
    double offset = 0;
    double slopeError = 0;
    std::vector<double> c, d;  // per measured code; 0 where it is not fitted
    double offsetVariance = 0, slopeVariance = 0, covariance = 0;
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
                     const std::vector<std::size_t>& fitted, FitLine kind) {
    line.c.assign(means.size(), 0);
    line.d.assign(means.size(), 0);
    if (kind == FitLine::EndPoint) {
        const std::size_t p = fitted.front(), q = fitted.back();
        const double run = means[q].code - means[p].code;
        line.d[p] = -1 / run;
        line.d[q] = 1 / run;
        line.c[p] = 1 + means[p].code / run;
        line.c[q] = -means[p].code / run;
        return;
    }
    const auto n = static_cast<double>(fitted.size());
    double meanCode = 0, spread = 0;
    for (const std::size_t i : fitted)
        meanCode += means[i].code / n;
    for (const std::size_t i : fitted)
        spread += (means[i].code - meanCode) * (means[i].code - meanCode);
    for (const std::size_t i : fitted) {
        line.d[i] = (means[i].code - meanCode) / spread;
        line.c[i] = 1 / n - meanCode * line.d[i];
    }
}

Line fitLine(const std::vector<Mean>& means, const std::vector<std::size_t>& fitted, FitLine kind) {
    Line line;
    setCoefficients(line, means, fitted, kind);
    for (const std::size_t i : fitted) {
        line.offset += line.c[i] * means[i].error;
        line.slopeError += line.d[i] * means[i].error;
        line.offsetVariance += line.c[i] * line.c[i] * means[i].variance;
        line.slopeVariance += line.d[i] * line.d[i] * means[i].variance;
        line.covariance += line.c[i] * line.d[i] * means[i].variance;
    }
    return line;
}

// A code's distance from the line, in counts, with its uncertainty. The line's own
// uncertainty at the code, plus the code's, less what they share when the code is fitted.
Figure residual(const Line& line, const std::vector<Mean>& means, std::size_t j) {
    const Mean& m = means[j];
    const double shared = line.c[j] + m.code * line.d[j];
    const double lineVariance =
        line.offsetVariance + 2 * m.code * line.covariance + m.code * m.code * line.slopeVariance;
    const double variance =
        m.variance * (1 - shared) * (1 - shared) + lineVariance - shared * shared * m.variance;
    return {m.error - line.offset - line.slopeError * m.code, std::sqrt(std::max(0.0, variance))};
}

Figure scaled(Figure f, double by) {
    return {f.value * by, f.uncertainty * std::abs(by)};
}

// The pooled spread of the readings, over the codes that are not clipped.
double pooledNoise(const std::vector<CodeReadings>& readings) {
    double squares = 0, degrees = 0;
    for (const CodeReadings& r : readings) {
        if (r.clipped || r.count < 2) continue;
        squares += r.variance() * static_cast<double>(r.count - 1);
        degrees += static_cast<double>(r.count - 1);
    }
    return degrees > 0 ? std::sqrt(squares / degrees) : 0.0;
}

std::vector<Mean> meansOf(const std::vector<CodeReadings>& readings, double countsPerCode,
                          bool averagingLimited) {
    std::vector<Mean> means;
    for (const CodeReadings& r : readings) {
        const double variance = r.variance() / static_cast<double>(r.count) +
                                (averagingLimited ? kRoundingVariance : 0.0);
        const double ideal = countsPerCode * r.code;
        means.push_back({static_cast<double>(r.code), r.mean() - ideal, variance, !r.clipped});
    }
    return means;
}

// Keeps the figure of larger size (the first of equal ones).
void keepLarger(Figure& kept, int32_t& keptCode, Figure candidate, int32_t code, bool first) {
    if (first || std::abs(candidate.value) > std::abs(kept.value)) {
        kept = candidate;
        keptCode = code;
    }
}

// Monotonicity between every two neighbouring measured codes, and the DNL of each one-code
// step: (rise - the line's step) / the line's step, taken on the errors so that an ideal
// step gives exactly 0.
void stepFigures(LinearityResult& result, const std::vector<Mean>& means, const Line& line,
                 double countsPerCode, int32_t dither) {
    const double slope = countsPerCode + line.slopeError;
    double worstDnlUncertainty = 0;
    for (std::size_t j = 1; j < means.size(); ++j) {
        const Mean &below = means[j - 1], &here = means[j];
        if (!below.usable || !here.usable) continue;
        const double run = here.code - below.code;
        const double rise = here.error - below.error + countsPerCode * run;
        const double riseUncertainty = std::sqrt(below.variance + here.variance);
        const auto code = static_cast<int32_t>(here.code);
        if (rise + kCoverage * riseUncertainty < 0 && !result.firstNonMonotonicCode) {
            result.monotonic = false;
            result.firstNonMonotonicCode = code;
        }
        if (run != 1) continue;
        const Figure dnl{(here.error - below.error - line.slopeError) / slope,
                         riseUncertainty / std::abs(slope)};
        result.codes[j].dnl = dnl;
        worstDnlUncertainty = std::max(worstDnlUncertainty, dnl.uncertainty);
        if (!result.dnlMin || dnl.value < result.dnlMin->value) {
            result.dnlMin = dnl;
            result.dnlMinCode = code;
        }
        if (!result.dnlMax || dnl.value > result.dnlMax->value) {
            result.dnlMax = dnl;
            result.dnlMaxCode = code;
        }
    }
    result.dnlResolved =
        result.dnlMin && dither == 0 && worstDnlUncertainty <= kResolvedDnlUncertainty;
}

}  // namespace

LinearityResult analyseLinearity(const std::vector<CodeReadings>& readings,
                                 const CharacteriseSettings& s) {
    LinearityResult result;
    const double countsPerCode = (s.dacReference / kDacCodes) / (s.adcReference / kAdcCounts);
    const double millivoltsPerCount = s.adcReference / kAdcCounts * 1000;
    result.lsbPerAdcCount = 1 / countsPerCode;
    result.noiseCounts = pooledNoise(readings);
    result.averagingLimited = result.noiseCounts < kAveragingNoiseCounts;
    const std::vector<Mean> means = meansOf(readings, countsPerCode, result.averagingLimited);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const double mean = readings[i].mean();
        result.codes.push_back({readings[i].code,
                                readings[i].count,
                                {mean, std::sqrt(means[i].variance)},
                                mean * s.adcReference / kAdcCounts,
                                !means[i].usable,
                                std::nullopt,
                                std::nullopt});
    }
    const std::vector<std::size_t> fitted = fitIndices(means, s);
    result.fitPoints = static_cast<int>(fitted.size());
    if (fitted.size() < 2) {
        result.problem =
            "fewer than two measured codes in the fit range read off the ends of the ADC";
        return result;
    }
    const Line line = fitLine(means, fitted, s.line);
    const double slope = countsPerCode + line.slopeError;
    const double shared = ditherVariance(s.dither, countsPerCode);
    result.offsetMillivolts =
        withShared(scaled({line.offset, std::sqrt(line.offsetVariance)}, millivoltsPerCount),
                   shared, millivoltsPerCount);
    result.gainErrorPercent = {line.slopeError / countsPerCode * 100,
                               std::sqrt(line.slopeVariance) / countsPerCode * 100};
    bool first = true;
    for (std::size_t j = 0; j < means.size(); ++j) {
        if (!means[j].usable) continue;
        const int32_t code = result.codes[j].code;
        const Figure error = withShared({means[j].error, std::sqrt(means[j].variance)}, shared, 1);
        result.codes[j].inl = scaled(residual(line, means, j), 1 / slope);
        keepLarger(result.inlMax, result.inlMaxCode, *result.codes[j].inl, code, first);
        keepLarger(result.totalUnadjustedErrorLsb, result.totalUnadjustedErrorCode,
                   scaled(error, 1 / countsPerCode), code, first);
        first = false;
        if (code == 0) result.zeroCodeErrorMillivolts = scaled(error, millivoltsPerCount);
        if (code == kFullScaleCode) {
            result.fullScaleErrorMillivolts = scaled(error, millivoltsPerCount);
        }
    }
    stepFigures(result, means, line, countsPerCode, s.dither);
    return result;
}
