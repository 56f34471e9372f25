#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "measure/Characterisation.h"

// The static figures of a DAC from the mean readings of its codes, in the terms of DAC
// testing: a straight line (end-point or least squares) over a fit range; offset error (the
// line at code 0), gain error (its slope against the ideal one, in % of full scale),
// zero-code and full-scale errors (the measured output at those codes), integral
// non-linearity (distance from the line, in steps of the line), differential non-linearity
// (each measured one-code step against the line's step, less one), monotonicity and total
// unadjusted error (distance from the ideal line, in ideal steps).
//
// Every figure carries its standard uncertainty, the terms combined as independent ones:
// - the readings' spread over the square root of their number (each code's own spread, never
//   below the spread pooled over all codes, and that alone for a few readings, so that a few
//   readings alike do not claim none);
// - the rounding to whole counts: the mean of rounded readings is biased by up to half a count,
//   less as noise ahead of the converter averages it, alike or not from code to code;
// - the board ADC's stated accuracy (offset, gain, INL, DNL, reference), each a limit;
// - for the largest of many values, an allowance for having picked the largest.
// Terms bounded at every code enter a figure by the sum of its weights' sizes, so they hold
// whether the codes share them or not.

struct Figure {
    double value = 0;
    double uncertainty = 0;
};

// The figures at one measured code.
struct CodeResult {
    int32_t code = 0;
    int64_t readings = 0;
    Figure count;  // the mean ADC count, uncertain by the readings' spread
    double volts = 0;
    bool clipped = false;       // read at an end of the ADC: left out of every figure
    std::optional<Figure> inl;  // steps from the line
    std::optional<Figure> dnl;  // the step from code - 1, when that code was measured too
};

// The largest of many values: the one of largest size (or the smallest and largest for the
// DNL), with an uncertainty that allows for the pick among `among` noisy values. Its interval
// covers the size of the true extreme, which may lie at another code.
struct Extreme {
    Figure figure;
    int32_t code = 0;
    int among = 0;
};

struct LinearityResult {
    std::vector<CodeResult> codes;
    // Why there are no figures; empty otherwise.
    std::string problem;
    int fitPoints = 0;
    double lsbPerAdcCount = 0;  // DAC steps in one ADC count: the ADC's resolution
    double noiseCounts = 0;     // the readings' spread, pooled over the codes
    // Whether the spread has the shape of noise ahead of the converter, which averages its
    // rounding away; spread added after it (or none) does not.
    bool noiseBeforeConverter = false;
    double roundingBoundCounts = 0.5;  // the largest bias rounding may leave in a mean
    // Rounding may bias each mean by a tenth of a count or more: dither would help.
    bool averagingLimited = false;
    // The board ADC's stated accuracy is most of the largest INL's uncertainty.
    bool adcLimited = false;

    Figure offsetMillivolts;
    Figure gainErrorPercent;
    std::optional<Figure> zeroCodeErrorMillivolts;
    std::optional<Figure> fullScaleErrorMillivolts;
    Extreme inlMax;  // the INL of largest size, with its sign
    std::optional<Extreme> dnlMin;
    std::optional<Extreme> dnlMax;
    // True when the one-code steps were measured finely enough to tell a step of 0 from a
    // missing or doubled one (and without dither, which blurs a step over its neighbours).
    bool dnlResolved = false;
    // Every step of the range measured finely enough to see a fall of one step, and none falls:
    // true; a fall the noise of all the steps tested gives less than 1 % of the time: false;
    // otherwise unknown.
    std::optional<bool> monotonic;
    std::optional<int32_t> firstNonMonotonicCode;
    int32_t firstCode = 0;  // the usable codes' range
    int32_t lastCode = 0;
    int oneCodeSteps = 0;             // measured steps between adjacent codes
    bool everyStep = false;           // every step from firstCode to lastCode was measured
    Extreme totalUnadjustedErrorLsb;  // the largest distance from the ideal line, with its sign
};

// The figures from the readings of a run with these settings.
LinearityResult analyseLinearity(const std::vector<CodeReadings>& readings,
                                 const CharacteriseSettings& settings);

// The two-sided normal quantile that n independent values all stay within at once with that
// confidence (Sidak): 1.96 for one at 0.95.
double simultaneousCoverage(int n, double confidence);

// The verdict of each limited figure, in the order of the limits.
std::vector<FigureVerdict> judgeFigures(const LinearityResult& result,
                                        const std::vector<FigureLimit>& limits);
