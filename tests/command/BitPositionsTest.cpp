#include "command/BitImage.h"

#include <gtest/gtest.h>

#include "PlainBits.h"

namespace {

// The values of positions last..first as a string, most significant first.
std::string shown(const BitPositions& bits, int first, int last) {
    std::string text;
    for (int p = last; p >= first; --p)
        text += static_cast<char>('0' + bits.value(p));
    return text;
}

}  // namespace

TEST(ShowBits, WritesTheLowBitsFromFirstToLastAndDropsTheRest) {
    PlainBits bits;
    ShowBits(bits, 0x12345, 4, 19);
    EXPECT_EQ(shown(bits, 4, 19), "0010001101000101");  // 0x2345; bit 16 dropped
    EXPECT_EQ(shown(bits, 0, 3), "0000");
    EXPECT_EQ(bits.value(20), 0);
}

TEST(ShowBits, OnePositionOrNone) {
    PlainBits bits;
    ShowBits(bits, 3, 7, 7);
    EXPECT_EQ(bits.value(7), 1);
    EXPECT_EQ(bits.value(8), 0);
    ShowBits(bits, 0xFFFF, 5, 4);  // first after last: nothing
    EXPECT_EQ(shown(bits, 0, 31), std::string(24, '0') + "10000000");
}

TEST(SetActiveBits, MarksPositions0To30AndNeverTouches31) {
    PlainBits bits;
    bits.setEmphasis(31, 12345);
    SetActiveBits(bits, 0xFFFFFFFF);
    EXPECT_EQ(bits.emphasis(30), BitPositions::kActive);
    EXPECT_EQ(bits.emphasis(31), 12345);
    SetActiveBits(bits, 0x0FFFFFF0);
    for (int p = 0; p < 31; ++p) {
        EXPECT_EQ(bits.emphasis(p),
                  p >= 4 && p <= 27 ? BitPositions::kActive : BitPositions::kInactive)
            << p;
    }
    EXPECT_EQ(bits.emphasis(31), 12345);
}
