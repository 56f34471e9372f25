#include "BoardSettings.h"

#include <gmock/gmock.h>

TEST(BoardSettings, NamesTheFirstEntryItCannotUnderstand) {
    for (const char* bad : {"absnt", "noise=-1", "noise=x", "unplug-after=", "stuck=E:1", "stuck=A",
                            "stuck=A:70000", "lfcsp=1"}) {
        const ParsedSettings parsed = parseBoardSettings(std::string("lfcsp,") + bad);
        EXPECT_THAT(parsed.error, testing::HasSubstr(bad));
    }
}
