#include "IntelHex.h"

#include <gtest/gtest.h>

namespace {

const std::string kEnd = ":00000001FF\n";

}  // namespace

TEST(IntelHex, DataRecordsWithTheirFullAddresses) {
    const HexResult result = parseIntelHex(
        ":0400000080FE00007E\n"
        ":020010001122BB\n"
        ":020000021000EC\n"  // segment 0x1000: base 0x10000
        ":020000040000FA\n"  // linear 0: base back to 0
        ":0100200033AC\r\n" +
        kEnd + "anything after the end is not read");
    ASSERT_TRUE(result.image) << result.error;
    const auto& records = result.image->records;
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].address, 0x0000u);
    EXPECT_EQ(records[0].data, (std::vector<uint8_t>{0x80, 0xFE, 0x00, 0x00}));
    EXPECT_EQ(records[1].address, 0x0010u);
    EXPECT_EQ(records[2].address, 0x0020u);
}

TEST(IntelHex, RefusesEveryKindOfMalformedFile) {
    struct Case {
        const char* name;
        std::string text;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"empty", "", "no end-of-file record"},
        {"no end record", ":0400000080FE00007E\n", "no end-of-file record"},
        {"bad checksum", ":0400000080FE00007F\n" + kEnd, "bad checksum"},
        {"no colon", "0400000080FE00007E\n" + kEnd, "':'"},
        {"odd length", ":0400000080FE00007\n" + kEnd, "malformed"},
        {"not hex", ":04000000G0FE00007E\n" + kEnd, "malformed"},
        {"too short", ":00\n" + kEnd, "malformed"},
        {"count too big", ":0500000080FE00007E\n" + kEnd, "byte count"},
        {"unknown type", ":00000006FA\n" + kEnd, "unknown record type"},
        {"end record with data", ":01000001FFFF\n", "end-of-file record with data"},
        {"address record of 1 byte", ":0100000400FB\n" + kEnd, "malformed address"},
        {"beyond RAM", ":0140000000BF\n" + kEnd, "beyond"},
        {"beyond RAM by extension", ":020000040001F9\n:0100000000FF\n" + kEnd, "beyond"},
        {"last byte just beyond", ":023FFF000102BD\n" + kEnd, "beyond"},
    };
    for (const Case& c : cases) {
        const HexResult result = parseIntelHex(c.text);
        EXPECT_FALSE(result.image) << c.name;
        EXPECT_NE(result.error.find(c.error), std::string::npos) << c.name << ": " << result.error;
    }
    EXPECT_TRUE(parseIntelHex(":013FFF0001C0\n" + kEnd).image) << "the last RAM byte is fine";
}

TEST(IntelHex, ShippedImageLoadsAndOnlyFilesAreRead) {
    EXPECT_TRUE(readIntelHexFile(XT4830_PROGRAM_DIR "/XT4830.hex").image);
    EXPECT_FALSE(readIntelHexFile(XT4830_PROGRAM_DIR "/missing.hex").image);
    EXPECT_FALSE(readIntelHexFile(XT4830_PROGRAM_DIR).image);  // a directory
    EXPECT_FALSE(readIntelHexFile(nullptr).image);
}
