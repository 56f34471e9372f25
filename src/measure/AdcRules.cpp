#include "measure/AdcRules.h"

#include "board/Declare.h"

namespace {

constexpr uint16_t kSetupValue = 18;
constexpr uint16_t kSetupIndex = 72;

}  // namespace

double adcVolts(int32_t count, double reference) {
    return count / double(kAdcCounts) * reference;
}

void configureAdc(Declare& requests) {
    requests.ConfigureAdc(kSetupValue, kSetupIndex);
}
