#include "command/CommandWord.h"

#include <gtest/gtest.h>

#include "command/CommandTable.h"
#include "PlainBits.h"

TEST(CommandWord, PacksOnlyTheCommandAddressAndDataPositions) {
    PlainBits bits;
    EXPECT_EQ(commandWordFromImage(bits), 0x000000);
    ShowBits(bits, 3, 24, 27);
    ShowBits(bits, addressValue(8), 20, 23);
    ShowBits(bits, 0xFFFF, 4, 19);
    ShowBits(bits, 3, 0, 3);  // never sent
    bits.setValue(28, 1);     // nor are 28-31
    EXPECT_EQ(commandWordFromImage(bits), 0x1FFFFF);
}

TEST(CommandWord, CommandIndex8ReachesTheWordAsCode0) {
    PlainBits bits;
    ShowBits(bits, 8, 24, 27);
    ShowBits(bits, 2, 20, 23);
    ShowBits(bits, 3, 0, 1);  // the clear code is not sent
    EXPECT_EQ(commandWordFromImage(bits), 0x020000);
}
