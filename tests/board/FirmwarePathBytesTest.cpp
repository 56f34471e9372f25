#include "board/FirmwarePathBytes.h"

#include <gtest/gtest.h>

#include <string>

TEST(FirmwarePathBytes, UpTo512BytesFitAndALongerPathIsRefusedWhole) {
    FirmwarePathBytes bytes;
    const std::string longest(512, 'p');
    ASSERT_TRUE(bytes.SetFirmwarePath(longest));
    EXPECT_EQ(std::string(bytes.bytes().data()), longest);
    EXPECT_EQ(bytes.bytes()[512], '\0');
    const auto before = bytes.bytes();
    EXPECT_FALSE(bytes.SetFirmwarePath(longest + "q"));
    EXPECT_EQ(bytes.bytes(), before) << "nothing written";
    std::string wide;
    for (int i = 0; i < 256; ++i)
        wide += "\xC3\xBC";  // 256 characters, 512 bytes
    EXPECT_TRUE(bytes.SetFirmwarePath(wide));
    EXPECT_FALSE(bytes.SetFirmwarePath(wide + "x"));
}

TEST(FirmwarePathBytes, ShorterPathKeepsTheLongerPathsTailAfterItsTerminator) {
    FirmwarePathBytes bytes;
    const std::string longer = "/a/long/program/dir/XT4830.hex";
    ASSERT_TRUE(bytes.SetFirmwarePath(longer));
    ASSERT_TRUE(bytes.SetFirmwarePath("/b/XT4830.hex"));
    EXPECT_STREQ(bytes.bytes().data(), "/b/XT4830.hex");
    EXPECT_EQ(std::string(bytes.bytes().data() + 14), longer.substr(14));
}
