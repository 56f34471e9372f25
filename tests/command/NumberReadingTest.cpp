#include "command/NumberReading.h"

#include <gtest/gtest.h>

TEST(NumberReading, LenientTakesTheLongestLeadingNumber) {
    using Case = std::pair<const char*, double>;
    for (const auto& [text, value] :
         {Case{"3", 3}, Case{"3.0", 3}, Case{" 2.5 V", 2.5}, Case{"-1", -1}, Case{"+.5", 0.5},
          Case{"1e3", 1000}, Case{"1.5e", 1.5}, Case{"1E-2x", 0.01}, Case{"1 2", 12},
          Case{"5.5.5", 5.5}, Case{"", 0}, Case{"abc", 0}, Case{".", 0}, Case{"-", 0},
          Case{"e5", 0}, Case{"1e999", 0}, Case{"-1e999", 0}, Case{"1e-999", 0}, Case{"0x10", 0}}) {
        EXPECT_EQ(readLenientDecimal(text), value) << '"' << text << '"';
    }
}

TEST(NumberReading, StrictNeedsTheWholeTextToBeANumber) {
    EXPECT_EQ(readStrictDecimal(" 2.5 "), 2.5);
    EXPECT_EQ(readStrictDecimal("-3e1"), -30);
    EXPECT_EQ(readStrictDecimal("0"), 0);
    // Too small for a double reads as 0, too large is no number, whatever the notation.
    const std::string zeros(400, '0');
    for (const std::string& tiny :
         {"0." + zeros + "1", std::string("1e-999"), std::string("-1e-400"), "1" + zeros + "e-800",
          std::string("1e-0000000000400"), std::string("1e-00000000000000000000000000330")})
        EXPECT_EQ(readStrictDecimal(tiny), 0.0) << tiny;
    for (const std::string& bad :
         {std::string(""), std::string(" "), std::string("2.5V"), std::string("1 2"),
          std::string("1e"), std::string("abc"), std::string("1e999"), std::string("--1"),
          std::string("."), "1" + zeros + "e-5", "0." + zeros + "1e800",
          std::string("0.1e+0000000000400"), std::string("1e000000000000309")}) {
        EXPECT_FALSE(readStrictDecimal(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(NumberReading, HexGivesTheUnsignedValueOfTheLeadingDigits) {
    using Case = std::pair<const char*, uint32_t>;
    for (const auto& [text, code] :
         {Case{"", 0}, Case{"G12", 0}, Case{"1", 1}, Case{"7FFF", 32767}, Case{"8000", 32768},
          Case{"ffff", 65535}, Case{"FFFF", 65535}, Case{"12G4", 18}, Case{" 1 2", 0x12}}) {
        EXPECT_EQ(readLeadingHex(text), code) << '"' << text << '"';
    }
}
