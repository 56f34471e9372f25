#include "SelfTest.h"

#include "AdcReading.h"
#include "CommandWord.h"
#include "Declare.h"

namespace {

struct Phase {
    int32_t word;  // write and update all four channels
    float low;
    float high;
};

constexpr Phase kPhases[] = {
    {commandWord(3, 7, 0xFFFF), 2.9f, 3.1f},
    {commandWord(3, 7, 0x8000), 1.49f, 1.51f},
};

}  // namespace

float selfTestVolts(int32_t count) {
    return static_cast<float>(count / 4096.0 * 3);
}

bool inWindow(float volts, float low, float high) {
    return low <= volts && volts <= high;
}

bool measureAllOutputs(Declare& requests) {
    bool pass = true;
    for (const Phase& phase : kPhases) {
        requests.WriteDacWord(phase.word);
        for (int output = 0; output < 4; ++output) {
            requests.SelectMuxChannel(muxMask(output));
            pass &= inWindow(selfTestVolts(requests.ReadAdc()), phase.low, phase.high);
        }
    }
    return pass;
}
