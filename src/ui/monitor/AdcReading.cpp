#include "AdcReading.h"

#include "NumberReading.h"

double adcVolts(int32_t count, std::string_view referenceText) {
    return count / 4096.0 * readLenientDecimal(referenceText);
}
