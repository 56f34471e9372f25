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
