#include "command/CodeVoltage.h"

#include <gtest/gtest.h>

#include "GermanLocale.h"
#include "command/NumberReading.h"

TEST(CodeVoltage, HexToVoltageAgainst3Volts) {
    using Case = std::tuple<const char*, uint32_t, const char*>;
    for (const auto& [hex, code, volts] :
         {Case{"", 0, "0.00000000000000"}, Case{"1", 1, "0.00004577636719"},
          Case{"1234", 0x1234, "0.21331787109375"}, Case{"7FFF", 0x7FFF, "1.49995422363281"},
          Case{"8000", 0x8000, "1.50000000000000"}, Case{"FFFF", 0xFFFF, "2.99995422363281"},
          Case{"ffff", 0xFFFF, "2.99995422363281"}}) {
        const HexEntry entry = hexToVoltage(hex, "3");
        EXPECT_EQ(entry.code, code) << hex;
        EXPECT_EQ(entry.voltageText, volts) << hex;
    }
}

TEST(CodeVoltage, HexToVoltageWithOtherReferences) {
    EXPECT_EQ(hexToVoltage("FFFF", "2.5").voltageText, "2.49996185302734");
    EXPECT_EQ(hexToVoltage("FFFF", "0").voltageText, "0.00000000000000");
    EXPECT_EQ(hexToVoltage("FFFF", "volts").voltageText, "0.00000000000000");
    EXPECT_EQ(hexToVoltage("8000", "-3").voltageText, "-1.50000000000000");
    // A reference too large for code x Vref to fit a double still gives the whole number.
    const std::string huge = hexToVoltage("FFFF", "1e308").voltageText;
    EXPECT_EQ(huge.find("inf"), std::string::npos);
    EXPECT_EQ(huge.size(), 308u + 15u) << huge;  // 9.9998e307
}

TEST(CodeVoltage, ExactTiesInTheFourteenthDecimalRoundAwayFromZero) {
    // Code 6 at 3 V is exactly 0.000274658203125.
    EXPECT_EQ(hexToVoltage("6", "3").voltageText, "0.00027465820313");
    EXPECT_EQ(formatVoltage(-0.000274658203125), "-0.00027465820313");
    EXPECT_EQ(formatVoltage(9.999999999999995), "9.99999999999999");  // not a tie in binary
    EXPECT_EQ(formatVoltage(0.5), "0.50000000000000");
    EXPECT_EQ(formatVoltage(9.999999999999997), "10.00000000000000") << "carried to the front";
    EXPECT_EQ(formatVoltage(-1e-20), "0.00000000000000");
}

TEST(CodeVoltage, VoltageToHexAgainst3Volts) {
    using Case = std::tuple<const char*, uint32_t, const char*>;
    for (const auto& [volts, code, hex] :
         {Case{"1.5", 32768, "8000"}, Case{"1", 21845, "5555"}, Case{"2.5", 54613, "D555"},
          Case{"2.9999", 65534, "FFFE"}, Case{"3", 65535, "FFFF"}, Case{"4", 65535, "FFFF"},
          Case{"-1", 0, "0"}, Case{"", 0, "0"}, Case{"x", 0, "0"}, Case{"1e999", 0, "0"},
          Case{"1e300", 65535, "FFFF"}}) {
        const auto entry = voltageToHex(volts, "3");
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->code, code) << volts;
        EXPECT_EQ(entry->hexText, hex) << volts;
    }
}

TEST(CodeVoltage, VoltageToHexEdgesOfTheReference) {
    // Reference 0: full scale whatever the voltage.
    for (const char* volts : {"1", "-1", ""}) {
        EXPECT_EQ(voltageToHex(volts, "0")->hexText, "FFFF") << volts;
    }
    // Halves go to the even neighbour.
    EXPECT_EQ(voltageToHex("2.5", "65536")->code, 2u);
    EXPECT_EQ(voltageToHex("0.00003", "3")->code, 1u) << "0.66 of a step rounds up";
    EXPECT_EQ(voltageToHex("3.5", "65536")->code, 4u);
    EXPECT_EQ(voltageToHex("3.5", "65536")->hexText, "4");
    // Near a double's limit the conversion does not overflow: 1e306 of 1e307 is a tenth.
    EXPECT_EQ(voltageToHex("1e306", "1e307")->code, 0x199Au);
    EXPECT_EQ(voltageToHex("1.7e308", "1.75e308")->code, 0xF8B0u);
    // A negative reference gives zero scale, never a negative code.
    EXPECT_EQ(voltageToHex("1.5", "-3")->code, 0u);
    // A reference that is no number changes nothing.
    for (const char* vref : {"", "abc", "3 V", "1e999"}) {
        EXPECT_FALSE(voltageToHex("1.5", vref).has_value()) << vref;
    }
}

TEST(CodeVoltage, NumbersKeepThePointOnAGermanDesktop) {
    const GermanLocale german;
    if (!german.active()) GTEST_SKIP() << "no German locale could be made here";
    EXPECT_EQ(hexToVoltage("8000", "3").voltageText, "1.50000000000000");
    EXPECT_EQ(voltageToHex("1.5", "3")->hexText, "8000");
    EXPECT_EQ(readLenientDecimal("2,5"), 2);
    EXPECT_EQ(readStrictDecimal("2,5"), std::nullopt);
}
