#include "IntelHex.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <random>

namespace {

const std::string kEnd = ":00000001FF\n";

}  // namespace

TEST(IntelHex, DataRecordsWithTheirFullAddresses) {
    const HexResult result = parseIntelHex(
        ":0400000080FE00007E\n"
        ":020010001122BB\n"
        ":020000021000EC\n"  // segment 0x1000: base 0x10000
        ":020000040000FA\n"  // linear 0: base back to 0
        ":0100200033AC\r\n"
        ":02E1FE00AABBBA\n" +  // the last two bytes of the second RAM block
        kEnd +
        "\r\n\n\x1A" + std::string(3, '\0'));
    ASSERT_TRUE(result.image) << result.error;
    const auto& records = result.image->records;
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].address, 0x0000u);
    EXPECT_EQ(records[0].data, (std::vector<uint8_t>{0x80, 0xFE, 0x00, 0x00}));
    EXPECT_EQ(records[1].address, 0x0010u);
    EXPECT_EQ(records[2].address, 0x0020u);
    EXPECT_EQ(records[3].address, 0xE1FEu);
}

TEST(IntelHex, RefusesEveryKindOfMalformedFile) {
    using Case = std::tuple<const char*, std::string, const char*>;
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
        {"between the RAM blocks", ":01DFFF000021\n" + kEnd, "beyond"},
        {"beyond the second block", ":02E1FF00AABBB9\n" + kEnd, "beyond"},
        {"no data", kEnd, "no data"},
        {"bad record after the end", ":0100000000FF\n" + kEnd + ":0100000000FE\n", "line 3: text"},
        {"text after the end", ":0100000000FF\n" + kEnd + "\nx", "after the end"},
        {"two bytes for one address", ":020010001122BB\n:0100110033BB\n" + kEnd,
         "line 2: another byte"},
    };
    for (const auto& [name, text, error] : cases) {
        const HexResult result = parseIntelHex(text);
        EXPECT_FALSE(result.image) << name;
        EXPECT_THAT(result.error, testing::HasSubstr(error));
    }
    EXPECT_TRUE(parseIntelHex(":013FFF0001C0\n" + kEnd).image) << "the last RAM byte is fine";
    EXPECT_TRUE(parseIntelHex(":020010001122BB\n:0100110022CC\n" + kEnd).image)
        << "the same byte given twice";
}

TEST(IntelHex, ShippedImageLoadsAndOnlyFilesAreRead) {
    EXPECT_TRUE(readIntelHexFile(XT4830_PROGRAM_DIR "/XT4830.hex").image);
    EXPECT_FALSE(readIntelHexFile(XT4830_PROGRAM_DIR "/missing.hex").image);
    EXPECT_FALSE(readIntelHexFile(XT4830_PROGRAM_DIR).image);  // a directory
    EXPECT_FALSE(readIntelHexFile(nullptr).image);
    // A file bigger than any image is refused before it is read.
    const std::string big = testing::TempDir() + "xt4830-big.hex";
    std::filesystem::copy_file(XT4830_PROGRAM_DIR "/XT4830.hex", big,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(big, (1 << 20) + 1);
    EXPECT_THAT(readIntelHexFile(big.c_str()).error, testing::HasSubstr("bigger"));
    std::filesystem::remove(big);
}

// Random edits of a valid file, with a fixed seed: never a crash, never data beyond the RAM.
TEST(IntelHex, EditedFilesAreReadSafelyAndNeverLeaveTheRam) {
    const std::string alphabet = ":0123456789ABCDEFabcdefG\r\n ";
    std::mt19937 random(4830);
    for (int round = 0; round < 500000; ++round) {
        std::string text = ":0400000080FE00007E\n:020000040000FA\n:020010001122BB\n:0100200033AC\n";
        text += kEnd;
        for (int edits = 1 + static_cast<int>(random() % 6); edits > 0; --edits) {
            const std::size_t at = random() % text.size();
            const char c = alphabet[random() % alphabet.size()];
            const auto kind = random() % 3;
            if (kind == 0) text.insert(at, 1, c);
            if (kind == 1) text.erase(at, 1);
            if (kind == 2) text[at] = c;
        }
        const HexResult result = parseIntelHex(text);
        ASSERT_NE(result.image.has_value(), !result.error.empty()) << text;
        for (const HexRecord& r : result.image ? result.image->records : std::vector<HexRecord>{}) {
            const uint32_t last = r.address + static_cast<uint32_t>(r.data.size()) - 1;
            ASSERT_TRUE(last < 0x4000 || (r.address >= 0xE000 && last < 0xE200)) << text;
        }
    }
}
