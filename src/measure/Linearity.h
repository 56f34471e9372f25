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
// Every figure carries its standard uncertainty: each code's mean is uncertain by its
// readings' spread over the square root of their number, and that is carried through the
// line's fit, which is linear in the means, to every figure.

struct Figure {
    double value = 0;
    double uncertainty = 0;
};

// The figures at one measured code.
struct CodeResult {
    int32_t code = 0;
    int64_t readings = 0;
    Figure count;  // the mean ADC count
    double volts = 0;
    bool clipped = false;       // read at an end of the ADC: left out of every figure
    std::optional<Figure> inl;  // steps from the line
    std::optional<Figure> dnl;  // the step from code - 1, when that code was measured too
};

struct LinearityResult {
    std::vector<CodeResult> codes;
    // Why there are no figures (fewer than two usable codes in the fit range); empty otherwise.
    std::string problem;
    int fitPoints = 0;
    double lsbPerAdcCount = 0;  // DAC steps in one ADC count: the ADC's resolution
    double noiseCounts = 0;     // the readings' spread, pooled over the codes
    // Spread too small for the mean to fall between two counts: each mean may then be off by
    // up to half a count, which its uncertainty includes, and dither would help.
    bool averagingLimited = false;

    Figure offsetMillivolts;
    Figure gainErrorPercent;
    std::optional<Figure> zeroCodeErrorMillivolts;
    std::optional<Figure> fullScaleErrorMillivolts;
    Figure inlMax;  // the INL of largest size, with its sign
    int32_t inlMaxCode = 0;
    std::optional<Figure> dnlMin;
    std::optional<Figure> dnlMax;
    int32_t dnlMinCode = 0;
    int32_t dnlMaxCode = 0;
    // True when the one-code steps were measured finely enough to tell a step of 0 from a
    // missing or doubled one (and without dither, which blurs a step over its neighbours).
    bool dnlResolved = false;
    bool monotonic = true;  // no measured step falls by more than its uncertainty allows
    std::optional<int32_t> firstNonMonotonicCode;
    Figure totalUnadjustedErrorLsb;  // the largest distance from the ideal line, with its sign
    int32_t totalUnadjustedErrorCode = 0;
};

// The figures from the readings of a run with these settings.
LinearityResult analyseLinearity(const std::vector<CodeReadings>& readings,
                                 const CharacteriseSettings& settings);
