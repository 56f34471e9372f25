#pragma once

#include <cstdint>
#include <vector>

// One step in an output's transfer function: codes from `code` up lie `lsb` steps higher.
struct CodeStep {
    uint16_t code;
    double lsb;
};

// How far one output's transfer function is from the ideal code x reference / 65536.
struct OutputErrors {
    double offsetMillivolts = 0;
    double gainPercent = 0;
    double bowLsb = 0;
    std::vector<CodeStep> steps;
};

// The output's voltage for code: the ideal line with its gain error, offset, bow and steps,
// held between 0 V and the reference as a real output stage is. One step is reference / 65536.
double outputStageVolts(const OutputErrors& errors, uint16_t code, double reference);

// One transition of the board's ADC moved: the input at which it turns to `count` lies
// `counts` higher than half a count below it (a wide or narrow code below).
struct AdcTransition {
    int count;
    double counts;
};

// How far the board's 12-bit ADC is from an ideal converter of the reference it is told.
struct AdcErrors {
    double offsetCounts = 0;
    double gainPercent = 0;
    double bowCounts = 0;  // zero at both ends, peaking at mid scale
    std::vector<AdcTransition> transitions;
    double reference = 3.0;  // the converter's true reference, in volts
};

// The converter's input in counts before it rounds: volts against its true reference, with
// its gain error, bow and offset.
double adcExactCounts(const AdcErrors& errors, double volts);

// The count the converter gives for an exact input: the nearest whole count, but for the
// transitions that are moved. Not held to the converter's range.
int adcRounded(const AdcErrors& errors, double exact);
