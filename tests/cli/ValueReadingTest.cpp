// Reading the tool's arguments: every value within its range, or a message saying what is wrong.
#include "cli/ValueReading.h"

#include <gtest/gtest.h>

TEST(ValueReading, ChannelsInputsListsAndModes) {
    using enum Channel;
    EXPECT_EQ(readChannel("b"), DacB);
    EXPECT_EQ(readChannel("D"), DacD);
    EXPECT_EQ(readChannel("ALL"), AllDacs);
    EXPECT_EQ(readInput("H"), 7);
    EXPECT_EQ(readChannelList("A,c"), (std::vector{DacA, DacC}));
    EXPECT_EQ(readChannelList("DB"), (std::vector{DacD, DacB}));
    EXPECT_EQ(readChannelList("all"), (std::vector{DacA, DacB, DacC, DacD}));
    EXPECT_TRUE(readChannelList("none").empty());
    EXPECT_EQ(readPowerDownMode("three-state"), PowerDownMode::ThreeState);
    EXPECT_EQ(readPowerDownMode("100K"), PowerDownMode::HundredKToGround);
    EXPECT_EQ(readOptionName(kReferenceChoices, "ON", "reference state"), 1);
    for (const char* bad : {"E", "", "AB", "dac a"})
        EXPECT_THROW(readChannel(bad), BadInput) << bad;
    for (const char* bad : {"A,A", ",", "A,E"})
        EXPECT_THROW(readChannelList(bad), BadInput) << bad;
    EXPECT_THROW(readInput("I"), BadInput);
    EXPECT_THROW(readPowerDownMode("10k"), BadInput);
}

TEST(ValueReading, CodesInEveryNotationAndVoltsAgainstTheReference) {
    using Case = std::tuple<const char*, const char*, int32_t>;
    for (const auto& [value, reference, code] :
         {Case{"0x8000", "3", 0x8000}, Case{"8000h", "3", 0x8000}, Case{"32768", "3", 0x8000},
          Case{"0XFFFF", "3", 0xFFFF}, Case{"1.5V", "3", 0x8000}, Case{"1v", "3", 0x5555},
          Case{"2.9999V", "3.0V", 0xFFFE}, Case{"0V", "3", 0}, Case{"2.5V", "65536", 2},
          Case{"3.5V", "65536", 4}, Case{"1500mV", "3", 0x8000}, Case{"0.5MV", "3", 0x000B},
          Case{"2999.9mv", "3", 0xFFFE}, Case{"7mV", "3", 0x0099}}) {
        EXPECT_EQ(readDataValue(value, reference), code) << value << " " << reference;
    }
    for (const char* bad : {"0x10000", "65536", "12G4", "", "h", "-1", "0x", "1.5", "3V", "-0.1V",
                            "abcV", "1,5V", "mV", ".mV", "1e3mV", "3000mV", "-5mV"}) {
        EXPECT_THROW(readDataValue(bad, "3"), BadInput) << bad;
    }
    for (const char* bad : {"0", "-3", "x", ""})
        EXPECT_THROW(readDataValue("1V", bad), BadInput) << bad;
    EXPECT_EQ(readNumber("0xFFFFFF", 0xFFFFFF, "word"), 0xFFFFFFu);
    EXPECT_THROW(readNumber("0x1000000", 0xFFFFFF, "word"), BadInput);
    EXPECT_EQ(readSeconds("0.25", 86400, "interval"), 0.25);
    EXPECT_EQ(readSeconds("86400", 86400, "interval"), 86400);
    for (const char* bad : {"-1", "86400.001", "1e19", "inf", "nan"})
        EXPECT_THROW(readSeconds(bad, 86400, "interval"), BadInput) << bad;
}
