// The bit image, the command and address tables and the words composed on them, held to the
// tables of the command word, the command panels and Write to Part.
#include <gtest/gtest.h>

#include <stdexcept>
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
    bits.observe([&](int p) { changed.push_back(p); });
    EXPECT_THROW(bits.observe([](int) {}), std::logic_error) << "one observer, never replaced";
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

TEST(CommandTable, EveryCommandsCaptionCodeMaskAndPanels) {
    struct Row {
        const char* caption;
        int code;
        uint32_t mask;
        const char* panel;
        bool dataEntry, addressOptions;
    };
    const Row rows[9] = {
        {"Write to Input Register n", 0, 0x0FFFFFF0, "Data Bits", true, true},
        {"Update DAC Register n", 1, 0x0FF00000, "Update DAC Register", false, true},
        {"Write to Input Register n, Update All", 2, 0x0FFFFFF0, "Data Bits", true, true},
        {"Write to and Update DAC channel n", 3, 0x0FFFFFF0, "Data Bits", true, true},
        {"Power Down DAC (Power-up)", 4, 0x0F00033F, "Power Down/Up Register", false, false},
        {"Reset", 5, 0x0F000010, "Reset", false, false},
        {"LDAC Register Setup", 6, 0x0F00003F, "LDAC Register Setup", false, false},
        {"Internal Reference Setup", 7, 0x0F000010, "REF Setup Register", false, false},
        {"CLR Code Register", 0, 0x0F000001, "CLR Code Register", false, false},
    };
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kCommands[i].caption, rows[i].caption);
        EXPECT_EQ(kCommands[i].code, rows[i].code);
        EXPECT_STREQ(kCommands[i].panel, rows[i].panel);
        EXPECT_EQ(kCommands[i].activeMask, rows[i].mask);
        EXPECT_EQ(kCommands[i].dataEntry, rows[i].dataEntry);
        EXPECT_EQ(kCommands[i].addressOptions, rows[i].addressOptions);
        CommandComposer composer;
        composer.image().setEmphasis(31, 7);
        composer.chooseCommand(static_cast<Command>(i));
        for (int p = 0; p < 31; ++p)
            EXPECT_EQ(composer.image().emphasis(p), (rows[i].mask >> p) & 1 ? 255 : 160) << p;
        EXPECT_EQ(composer.image().emphasis(31), 7) << "position 31 is never marked";
        EXPECT_EQ(readField(composer.image(), kCommandField), i);
    }
    EXPECT_EQ(commandEntry(kStartCommand).activeMask, 0x0FFFFFF0u);
}

TEST(CommandTable, EachPanelsOptionsWithTheirCaptionsAndCommandLineNames) {
    const std::pair<Command, const char*> panels[] = {
        {Command::PowerDown,
         "Normal Operation=normal|1k Ohm to Ground=1k|100k Ohm to Ground=100k|"
         "Three State=three-state|"},
        {Command::Reset,
         "Reset DAC and Input Registers Only=dac-and-input|Reset All Registers=all|"},
        {Command::InternalReference,
         "Internal reference OFF (default) (use external reference) =off|"
         "Internal reference ON=on|"},
        {Command::ClearCodeRegister,
         "Zero Scale=zero|Mid Scale=mid|Full Scale=full|No Operation=none|"},
        {Command::LdacRegister, ""},
    };
    for (const auto& [command, options] : panels) {
        std::string listed;
        for (const OptionEntry& o : commandEntry(command).choices)
            listed += std::string(o.caption) + "=" + o.name + "|";
        EXPECT_EQ(listed, options) << commandEntry(command).caption;
    }
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
        composer.chooseChannel(static_cast<Channel>(i));
        EXPECT_EQ(readField(composer.image(), kAddressField), values[i]);
    }
}

TEST(CommandComposer, EachPanelWritesItsOwnFieldAndTheWordPacksTheImage) {
    for (const Composition& c : kCompositions) {
        SCOPED_TRACE(c.word);
        CommandComposer composer;
        const auto command = static_cast<Command>(c.command);
        composer.chooseCommand(command);
        composer.chooseChannel(static_cast<Channel>(c.channel));
        if (c.code >= 0) composer.setCode(c.code);
        if (c.option >= 0) composer.chooseOption(command, c.option);
        for (const int box : c.boxes)
            composer.setChannelBox(command, static_cast<Channel>(box), true);
        for (const int p : {28, 29, 30, 31})
            composer.image().setValue(p, 1);  // never read
        EXPECT_EQ(composer.word(), c.word);
        EXPECT_EQ(shown(composer.image(), 0, 3), c.positions0To3);
    }
}

TEST(CommandComposer, ClearingTheDataKeepsChannelAndCommandAndABoxCanBeCleared) {
    CommandComposer composer;
    composer.chooseCommand(Command::WriteAndUpdate);
    composer.chooseChannel(Channel::DacB);
    composer.setCode(0xFFFF);
    composer.chooseOption(Command::ClearCodeRegister, ClearCode::FullScale);
    composer.clearData();
    EXPECT_EQ(composer.word(), 0x190000);
    EXPECT_EQ(shown(composer.image(), 0, 3), "0000");
    composer.chooseCommand(Command::LdacRegister);
    composer.setChannelBox(Command::LdacRegister, Channel::DacC, true);
    composer.setChannelBox(Command::LdacRegister, Channel::DacC, false);
    EXPECT_EQ(composer.word(), 0x310000);
}
