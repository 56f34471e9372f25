// The bit image, the command and address tables and the words composed on them, held to the
// tables of the command word, the command panels and Write to Part.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/BitImage.h"
#include "command/CommandComposer.h"
#include "command/CommandTable.h"

namespace {

// The values of positions last..first, most significant first.
std::string shown(const BitImage& bits, int first, int last) {
    std::string text;
    for (int p = last; p >= first; --p)
        text += static_cast<char>('0' + bits.value(p));
    return text;
}

// What the panels are set to, in this order: command, channel, data code (-1: none), the
// command's option group (-1: none), the ticked channel boxes.
struct Composition {
    int command, channel;
    int32_t code;
    int option;
    std::vector<int> boxes;
    int32_t word;
    const char* positions0To3;  // 3..0, which never reach the word
};

const Composition kCompositions[] = {
    {0, 0, -1, -1, {}, 0x000000, "0000"},        // nothing chosen
    {3, 8, 0xFFFF, -1, {}, 0x1FFFFF, "0000"},    // write and update all DACs, full scale
    {1, 2, -1, -1, {}, 0x0A0000, "0000"},        // update DAC C
    {0, 3, 0x8000, -1, {}, 0x038000, "0000"},    // write input register D, mid scale
    {2, 0, 0x12345, -1, {}, 0x102345, "0000"},   // bits above the 16 data bits dropped
    {4, 1, -1, 3, {0}, 0x210031, "0000"},        // DAC B chosen, power down A three-state
    {4, 0, -1, 2, {0, 1, 3}, 0x20002B, "0000"},  // 100k to ground, A, B and D
    {5, 0, -1, 1, {}, 0x280001, "0000"},         // reset all registers
    {6, 0, -1, -1, {1, 3}, 0x30000A, "0000"},    // LDAC register, B and D
    {7, 0, -1, 1, {}, 0x380001, "0000"},         // internal reference on
    {8, 2, -1, 3, {}, 0x020000, "0011"},         // clear code "No Operation", not sent
    {8, 8, -1, -1, {}, 0x070000, "0000"},        // command 8 and All DACs reach it as 0 and 7
};

}  // namespace

TEST(BitImage, ShowBitsWritesTheLowBitsFromFirstToLastAndNothingElse) {
    BitImage bits;
    std::vector<int> changed;
    bits.onChange = [&](int p) { changed.push_back(p); };
    ShowBits(bits, 0x12345, 4, 19);
    EXPECT_EQ(shown(bits, 0, 31), std::string(12, '0') + "0010001101000101" + "0000");
    EXPECT_EQ(changed.size(), 16u);
    EXPECT_EQ(changed.front(), 4);
    ShowBits(bits, 3, 25, 25);
    EXPECT_EQ(shown(bits, 24, 26), "010");
    ShowBits(bits, 0xFFFF, 5, 4);
    EXPECT_EQ(changed.size(), 17u) << "first after last writes nothing";
    EXPECT_EQ(readField(bits, kDataField), 0x2345);
}

TEST(CommandTable, EveryCommandsCaptionMaskAndPanels) {
    struct Row {
        const char* caption;
        uint32_t mask;
        bool dataEntry, addressOptions;
    };
    const Row rows[9] = {
        {"Write to Input Register n", 0x0FFFFFF0, true, true},
        {"Update DAC Register n", 0x0FF00000, false, true},
        {"Write to Input Register n, Update All", 0x0FFFFFF0, true, true},
        {"Write to and Update DAC channel n", 0x0FFFFFF0, true, true},
        {"Power Down DAC (Power-up)", 0x0F00033F, false, false},
        {"Reset", 0x0F000010, false, false},
        {"LDAC Register Setup", 0x0F00003F, false, false},
        {"Internal Reference Setup", 0x0F000010, false, false},
        {"CLR Code Register", 0x0F000001, false, false},
    };
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kCommands[i].caption, rows[i].caption);
        EXPECT_EQ(kCommands[i].activeMask, rows[i].mask);
        EXPECT_EQ(kCommands[i].dataEntry, rows[i].dataEntry);
        EXPECT_EQ(kCommands[i].addressOptions, rows[i].addressOptions);
        CommandComposer composer;
        composer.image().setEmphasis(31, 7);
        composer.chooseCommand(i);
        for (int p = 0; p < 31; ++p)
            EXPECT_EQ(composer.image().emphasis(p), (rows[i].mask >> p) & 1 ? 255 : 160) << p;
        EXPECT_EQ(composer.image().emphasis(31), 7) << "position 31 is never marked";
        EXPECT_EQ(readField(composer.image(), kCommandField), i);
    }
    EXPECT_EQ(kStartActiveMask, 0x0FFFFFF0u);
}

TEST(CommandTable, ChannelsWriteTheirIndexAndAllDacsFifteen) {
    const char* captions[9] = {"DAC A", "DAC B", "DAC C", "DAC D",   "DAC E",
                               "DAC F", "DAC G", "DAC H", "All DACs"};
    const int values[9] = {0, 1, 2, 3, 4, 5, 6, 7, 15};
    const bool offered[9] = {true, true, true, true, false, false, false, false, true};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kAddresses[i].caption, captions[i]);
        EXPECT_EQ(kAddresses[i].offered, offered[i]);
        CommandComposer composer;
        composer.chooseChannel(i);
        EXPECT_EQ(readField(composer.image(), kAddressField), values[i]);
    }
}

TEST(CommandComposer, EachPanelWritesItsOwnFieldAndTheWordPacksTheImage) {
    for (const Composition& c : kCompositions) {
        SCOPED_TRACE(c.word);
        CommandComposer composer;
        composer.chooseCommand(c.command);
        composer.chooseChannel(c.channel);
        if (c.code >= 0) composer.setCode(c.code);
        if (c.option >= 0) composer.chooseOption(c.command, c.option);
        for (const int box : c.boxes)
            composer.setChannelBox(c.command, box, true);
        for (const int p : {28, 29, 30, 31})
            composer.image().setValue(p, 1);  // never read
        EXPECT_EQ(composer.word(), c.word);
        EXPECT_EQ(shown(composer.image(), 0, 3), c.positions0To3);
    }
}

TEST(CommandComposer, ClearingTheDataKeepsChannelAndCommandAndABoxCanBeCleared) {
    CommandComposer composer;
    composer.chooseCommand(3);
    composer.chooseChannel(1);
    composer.setCode(0xFFFF);
    composer.chooseOption(kClearCodeCommand, 2);
    composer.clearData();
    EXPECT_EQ(composer.word(), 0x190000);
    EXPECT_EQ(shown(composer.image(), 0, 3), "0000");
    composer.chooseCommand(kLdacCommand);
    composer.setChannelBox(kLdacCommand, 2, true);
    composer.setChannelBox(kLdacCommand, 2, false);
    EXPECT_EQ(composer.word(), 0x310000);
}
