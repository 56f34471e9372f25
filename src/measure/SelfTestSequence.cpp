#include "measure/SelfTestSequence.h"

#include "board/Declare.h"
#include "command/CodeVoltage.h"
#include "command/CommandTable.h"
#include "command/CommandWord.h"
#include "measure/AdcRules.h"

namespace {

// "Write to and Update DAC channel n" to all four channels at once.
constexpr int32_t allOutputsTo(int32_t code) {
    return commandWord(commandEntry(Command::WriteAndUpdate).code, kAllChannelsCode, code);
}

}  // namespace

const SelfTestPhase kSelfTestPhases[2] = {
    {"full scale", allOutputsTo(kFullScaleCode), 2.9f, 3.1f},
    {"mid scale", allOutputsTo(kMidScaleCode), 1.49f, 1.51f},
};

float selfTestVolts(int32_t count) {
    return static_cast<float>(adcVolts(count, kSelfTestAdcReference));
}

bool inWindow(float volts, float low, float high) {
    return low <= volts && volts <= high;
}

SelfTestResult runSelfTest(Declare& requests) {
    configureAdc(requests);
    SelfTestResult result{{}, true};
    for (const SelfTestPhase& phase : kSelfTestPhases) {
        requests.WriteDacWord(phase.word);
        for (int output = 0; output < kSelfTestOutputs; ++output) {
            requests.SelectMuxChannel(muxMask(output));
            const int32_t count = requests.ReadAdc();
            const float volts = selfTestVolts(count);
            const bool pass = inWindow(volts, phase.low, phase.high);
            result.readings.push_back({&phase, output, count, volts, pass});
            result.pass = result.pass && pass;
        }
    }
    return result;
}
