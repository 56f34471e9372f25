#include "board/AdcRules.h"

#include "board/Declare.h"

namespace {

constexpr double kFullScaleCounts = 4096.0;
constexpr uint16_t kSetupValue = 18;
constexpr uint16_t kSetupIndex = 72;

}  // namespace

double adcVolts(int32_t count, double reference) {
    return count / kFullScaleCounts * reference;
}

void configureAdc(Declare& requests) {
    requests.ConfigureAdc(kSetupValue, kSetupIndex);
}
