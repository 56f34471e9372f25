#include "board/AdcRules.h"

#include <gtest/gtest.h>

TEST(AdcReading, CountOver4096TimesTheReferenceTextUnroundedAndUnlimited) {
    struct Case {
        int32_t count;
        const char* reference;
        double volts;
    };
    for (const Case& c : {Case{2048, "3.0", 1.5}, Case{2048, "5", 2.5}, Case{0, "3.0", 0},
                          Case{4095, "3.0", 2.999267578125}, Case{4096, "3.0", 3.0},
                          Case{65535, "3.0", 47.999267578125}, Case{2048, "", 0},
                          Case{2048, "Vref", 0}, Case{2048, "2.5 V", 1.25}}) {
        EXPECT_EQ(adcVolts(c.count, c.reference), c.volts) << c.count << " " << c.reference;
    }
}

TEST(AdcReading, OneHotMaskPerInput) {
    for (int index = 0; index < 8; ++index) {
        EXPECT_EQ(muxMask(index), 1 << index) << index;
    }
}
