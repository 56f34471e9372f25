#include "board/FirmwarePathBytes.h"

#include <gtest/gtest.h>

#include <string>

TEST(FirmwarePathBytes, LongestPathFitsWithItsTerminatorAtTheLastIndex) {
    FirmwarePathBytes bytes;
    const std::string path(512, 'p');
    ASSERT_TRUE(bytes.SetFirmwarePath(path));
    EXPECT_EQ(std::string(bytes.bytes().data()), path);
    EXPECT_EQ(bytes.bytes()[512], '\0');
}

TEST(FirmwarePathBytes, OneByteMoreIsRefusedWholeAndNothingIsWritten) {
    FirmwarePathBytes bytes;
    ASSERT_TRUE(bytes.SetFirmwarePath("/opt/xt4830/XT4830.hex"));
    const auto before = bytes.bytes();
    EXPECT_FALSE(bytes.SetFirmwarePath(std::string(513, 'q')));
    EXPECT_EQ(bytes.bytes(), before);
}

TEST(FirmwarePathBytes, ShorterPathKeepsTheLongerPathsTailAfterItsTerminator) {
    FirmwarePathBytes bytes;
    const std::string longer = "/a/long/program/dir/XT4830.hex";
    ASSERT_TRUE(bytes.SetFirmwarePath(longer));
    ASSERT_TRUE(bytes.SetFirmwarePath("/b/XT4830.hex"));
    EXPECT_STREQ(bytes.bytes().data(), "/b/XT4830.hex");
    // The longer path goes on after the new terminator at index 13.
    EXPECT_EQ(std::string(bytes.bytes().data() + 14), longer.substr(14));
}

TEST(FirmwarePathBytes, MultiByteCharactersCountInBytes) {
    FirmwarePathBytes bytes;
    std::string path;
    for (int i = 0; i < 256; ++i)
        path += "\xC3\xBC";  // 256 characters, 512 bytes
    EXPECT_TRUE(bytes.SetFirmwarePath(path));
    EXPECT_FALSE(bytes.SetFirmwarePath(path + "x"));
}
