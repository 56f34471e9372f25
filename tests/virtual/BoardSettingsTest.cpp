#include "BoardSettings.h"

#include <gmock/gmock.h>

TEST(BoardSettings, NamesTheFirstEntryItCannotUnderstand) {
    for (const char* bad :
         {"absnt", "noise=-1", "noise=x", "unplug-after=", "stuck=E:1", "stuck=A", "stuck=A:70000",
          "lfcsp=1", "offset=E:1", "offset=A", "gain=A:x", "gain=A:101", "inl=A:nan", "dnl=A:0:1",
          "dnl=A:0x8000", "sigma=-1", "seed=-1"}) {
        const ParsedSettings parsed = parseBoardSettings(std::string("lfcsp,") + bad);
        EXPECT_THAT(parsed.error, testing::HasSubstr(bad));
    }
}
