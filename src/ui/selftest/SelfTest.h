#pragma once

#include <cstdint>

class Declare;

// The board self-test's measurements: all four outputs driven to full scale and read back
// through the multiplexer, then to mid scale and read back again.

// A reading in volts as the test has always held it: count / 4096 x 3, in single precision.
float selfTestVolts(int32_t count);

// True when the reading lies in [low, high], both taken in single precision.
bool inWindow(float volts, float low, float high);

// Writes, selects and reads in the fixed order (8 readings), comparing every reading whatever
// the earlier ones gave. True when all eight lie in their windows: full scale 2.9 to 3.1 V,
// mid scale 1.49 to 1.51 V. Leaves the outputs at mid scale and the multiplexer on output D.
bool measureAllOutputs(Declare& requests);
