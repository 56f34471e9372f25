#pragma once

#include <cstdint>
#include <vector>

class Declare;

// The board self-test's measurements: all four outputs written to full scale and read back
// through the multiplexer, then to mid scale and read back again.

struct SelfTestPhase {
    const char* name;
    int32_t word;  // the command word that writes and updates all four outputs
    float low;     // the pass window in volts, both ends included
    float high;
};

// Full scale 2.9 to 3.1 V, then mid scale 1.49 to 1.51 V.
extern const SelfTestPhase kSelfTestPhases[2];
inline constexpr int kSelfTestOutputs = 4;

struct SelfTestReading {
    const SelfTestPhase* phase;
    int output;  // 0 = A ... 3 = D
    int32_t count;
    float volts;
    bool pass;
};

struct SelfTestResult {
    std::vector<SelfTestReading> readings;
    bool pass;  // every reading within its window
};

// The ADC reference the test takes its readings against, whatever the monitor's field says.
inline constexpr double kSelfTestAdcReference = 3.0;

// A reading in volts as the test has always held it: count / 4096 x 3, in single precision.
float selfTestVolts(int32_t count);

// True when the reading lies in [low, high], both taken in single precision.
bool inWindow(float volts, float low, float high);

// The test on a freshly opened board: the ADC set up, then the writes, selections and reads in
// their fixed order (8 readings), every reading compared whatever the earlier ones gave.
// Leaves the outputs at mid scale and the multiplexer on output D. A refused request goes to
// the caller's failure policy and the run goes on (the window shows only the first).
SelfTestResult runSelfTest(Declare& requests);
