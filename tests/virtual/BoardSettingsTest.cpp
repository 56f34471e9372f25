#include "BoardSettings.h"

#include <gmock/gmock.h>

TEST(BoardSettings, NamesTheFirstEntryItCannotUnderstand) {
    for (const char* bad :
         {"absnt",      "noise=-1",      "noise=x",       "unplug-after=",  "stuck=E:1",
          "stuck=A",    "stuck=A:70000", "lfcsp=1",       "offset=E:1",     "offset=A",
          "gain=A:x",   "gain=A:101",    "inl=A:nan",     "dnl=A:0:1",      "dnl=A:0x8000",
          "sigma=-1",   "seed=-1",       "adc-dnl=0:0.5", "adc-dnl=2048:1", "adc-dnl=2048",
          "adc-vref=0", "adc-gain=101",  "adc-inl=x",     "adc-offset=5000"}) {
        const ParsedSettings parsed = parseBoardSettings(std::string("lfcsp,") + bad);
        EXPECT_THAT(parsed.error, testing::HasSubstr(bad));
    }
}

TEST(BoardSettings, EntriesMayBeSpacedAndCodesHexadecimal) {
    const ParsedSettings parsed =
        parseBoardSettings(" stuck=B:0x8 , offset=C:-2.5 ,dnl=D:0x8000:-1.5, sigma=0.7 ,seed=7 ");
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.settings.stuckChannel, 1);
    EXPECT_EQ(parsed.settings.stuckCode, 8);
    EXPECT_EQ(parsed.settings.outputs[2].offsetMillivolts, -2.5);
    ASSERT_EQ(parsed.settings.outputs[3].steps.size(), 1u);
    EXPECT_EQ(parsed.settings.outputs[3].steps[0].code, 0x8000);
    EXPECT_EQ(parsed.settings.outputs[3].steps[0].lsb, -1.5);
    EXPECT_EQ(parsed.settings.sigmaCounts, 0.7);
    EXPECT_EQ(parsed.settings.seed, 7u);
}
