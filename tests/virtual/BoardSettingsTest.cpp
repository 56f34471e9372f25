#include "BoardSettings.h"

#include <gmock/gmock.h>

TEST(BoardSettings, ReadsEverySettingFromTheCommaSeparatedList) {
    const ParsedSettings parsed =
        parseBoardSettings(" absent, lfcsp ,unplug-after=12, noise=3, stuck=C:0x1000, trace-times");
    ASSERT_EQ(parsed.error, "");
    const BoardSettings& s = parsed.settings;
    EXPECT_FALSE(s.present);
    EXPECT_TRUE(s.lfcsp);
    EXPECT_EQ(s.unplugAfter, 12u);
    EXPECT_EQ(s.noise, 3);
    EXPECT_EQ(s.stuckChannel, 2);
    EXPECT_EQ(s.stuckCode, 0x1000);
    EXPECT_TRUE(s.traceTimes);
}

TEST(BoardSettings, NamesTheFirstEntryItCannotUnderstand) {
    for (const char* bad : {"absnt", "noise=-1", "noise=x", "unplug-after=", "stuck=E:1", "stuck=A",
                            "stuck=A:70000", "lfcsp=1"}) {
        const ParsedSettings parsed = parseBoardSettings(std::string("lfcsp,") + bad);
        EXPECT_THAT(parsed.error, testing::HasSubstr(bad));
    }
}
