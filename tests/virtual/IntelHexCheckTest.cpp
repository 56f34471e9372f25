#include "IntelHexCheck.h"

#include <gtest/gtest.h>

#include <string>

TEST(IntelHexCheck, TakesOnlyWellFormedImagesWithAnEndRecord) {
    struct Case {
        const char* name;
        std::string text;
        bool loadable;
    };
    const std::string data = ":0400000080FE00007E\n";
    const std::string end = ":00000001FF\n";
    const std::vector<Case> cases = {
        {"data then end", data + end, true},
        {"Windows line ends", ":0400000080FE00007E\r\n:00000001FF\r\n", true},
        {"extended address record", ":020000040000FA\n" + data + end, true},
        {"lower-case digits", ":0400000080fe00007e\n" + end, true},
        {"anything after the end record is not read", data + end + "junk\n", true},
        {"empty file", "", false},
        {"no end record", data, false},
        {"bad checksum", ":0400000080FE00007F\n" + end, false},
        {"count does not match the data", ":0500000080FE00007E\n" + end, false},
        {"missing colon", "0400000080FE000080\n" + end, false},
        {"not hex", ":04000000G0FE00007E\n" + end, false},
        {"unknown record type", ":00000006FA\n" + end, false},
        {"end record with data", ":01000001FFFF\n", false},
        {"too short", ":00\n" + end, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isLoadableHexText(c.text), c.loadable) << c.name;
    }
}

TEST(IntelHexCheck, ShippedImageLoadsAndAMissingFileDoesNot) {
    EXPECT_TRUE(isLoadableHexFile(XT4830_PROGRAM_DIR "/XT4830.hex"));
    EXPECT_FALSE(isLoadableHexFile(XT4830_PROGRAM_DIR "/missing.hex"));
    EXPECT_FALSE(isLoadableHexFile(XT4830_PROGRAM_DIR));  // a directory
    EXPECT_FALSE(isLoadableHexFile(nullptr));
}
