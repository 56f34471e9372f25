#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scpi/ScpiHeaders.h"
#include "scpi/ScpiParser.h"
#include "scpi/ScpiStatus.h"
#include "scpi/ScpiValues.h"

namespace {

// Each unit of a message as "NODE:NODE2|param|param", or "error N".
std::vector<std::string> units(std::string_view message) {
    std::vector<std::string> found;
    MessageUnits reader(message);
    while (const auto unit = reader.next()) {
        if (const auto* error = std::get_if<ScpiError>(&*unit)) {
            found.push_back("error " + std::to_string(error->kind.code));
            continue;
        }
        const auto& u = std::get<ProgramUnit>(*unit);
        std::string text = u.common ? "*" : "";
        for (const HeaderNode& node : u.nodes) {
            text += (text.empty() || text == "*" ? "" : ":") + node.mnemonic;
            if (node.suffix) text += std::to_string(*node.suffix);
        }
        if (u.query) text += "?";
        for (const std::string& p : u.parameters)
            text += "|" + p;
        found.push_back(text);
    }
    return found;
}

int errorOf(auto&& read) {
    try {
        read();
    } catch (const ScpiError& e) {
        return e.kind.code;
    }
    return 0;
}

}  // namespace

TEST(ScpiParser, UnitsTakeThePathOfTheUnitBefore) {
    struct Case {
        std::string_view message;
        std::vector<std::string> units;
    } const cases[] = {
        {"SOUR2:VOLT 1;CODE? ; :OUTP:CLR 0", {"SOUR2:VOLT|1", "SOUR2:CODE?", "OUTP:CLR|0"}},
        {"a:b:c 1;*cls;d", {"A:B:C|1", "*CLS", "A:B:D"}},
        {"MEAS? (@1,2), 'a;b' ,#H1F", {"MEAS?|(@1,2)|'a;b'|#H1F"}},
        {"A 1,;B", {"error -102", "B"}},
        {"A ,1", {"error -102"}},
        {"*A:B", {"error -102"}},
        {"A-B", {"error -102"}},
        {"ABCDEFGHIJKLM", {"error -112"}},
        {"A1234567890", {"error -114"}},
        {"A (1;B", {"error -170"}},
        {"A 1);B", {"error -170"}},
        {"A 'x;B", {"error -150"}},
        {"A;B\x01", {"error -101"}},
        {";;", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(units(c.message), c.units) << c.message;
}

TEST(ScpiParser, AHeaderDeeperThanTheLimitIsRefusedAndKeepsThePath) {
    std::string message;
    for (int n = 0; n < 20; ++n)
        message += "A:B;";
    const std::vector<std::string> found = units(message);
    ASSERT_EQ(found.size(), 20u);
    EXPECT_EQ(found[14], "A:A:A:A:A:A:A:A:A:A:A:A:A:A:A:B");
    EXPECT_EQ(found[15], "error -110");
    EXPECT_EQ(found[19], "error -110");
    EXPECT_EQ(units(":A:A:A:A:A:A:A:A:A:A:A:A:A:A:A:A:B;:C").back(), "C");
}

TEST(ScpiHeaders, PatternsTakeShortLongOptionalAndSuffixedNodes) {
    struct Case {
        std::string_view pattern, header;
        std::optional<std::vector<int>> suffixes;
    } const cases[] = {
        {"SOURce#:VOLTage[:LEVel]?", "sour2:volt:lev?", std::vector{2}},
        {"SOURce#:VOLTage[:LEVel]?", "SOURCE:VOLTAGE?", std::vector{1}},
        {"SOURce#:VOLTage[:LEVel]?", "SOUR:VOLT", std::nullopt},
        {"SOURce#:VOLTage[:LEVel]?", "SOUR:VOLTA?", std::nullopt},
        {"SYSTem:ERRor[:NEXT]?", "SYST2:ERR?", std::nullopt},
        {"[SENSe#]:VOLTage", "VOLT", std::vector{1}},
        {"*IDN?", "*idn?", std::vector<int>{}},
        {"*IDN?", "IDN?", std::nullopt},
    };
    for (const Case& c : cases) {
        MessageUnits reader(c.header);
        const auto unit = std::get<ProgramUnit>(*reader.next());
        EXPECT_EQ(matchHeader(c.pattern, unit), c.suffixes) << c.pattern << " " << c.header;
    }
}

TEST(ScpiValues, NumbersAndTheirErrors) {
    constexpr UnitSuffix kVolts[] = {{"V", 1}, {"MV", 1e-3}};
    struct Case {
        std::string_view text;
        double value;
        int error;
    } const cases[] = {
        {"1.5", 1.5, 0},    {"-2E-3", -0.002, 0}, {".5e+0004", 5000, 0}, {"#H8000", 32768, 0},
        {"#B101", 5, 0},    {"#Q17", 15, 0},      {"1500 mV", 1.5, 0},   {"2V", 2, 0},
        {"#HXYZ", 0, -121}, {"#X1", 0, -121},     {"1e32001", 0, -123},  {"1 A", 0, -131},
        {"'1'", 0, -158},   {"(1)", 0, -178},     {"#12ab", 0, -168},    {"ON", 0, -148},
        {"-", 0, -121},     {"1E", 0, -121},
    };
    for (const Case& c : cases) {
        double value = 0;
        EXPECT_EQ(errorOf([&] { value = readScpiNumber(c.text, kVolts); }), c.error) << c.text;
        if (c.error == 0) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
    EXPECT_EQ(errorOf([] { readScpiNumber("5 V"); }), -138);
    EXPECT_EQ(errorOf([] { readScpiNumber(std::string(256, '1')); }), -124);
}

TEST(ScpiValues, WholeNumbersBooleansChoicesAndChannelLists) {
    EXPECT_EQ(readScpiWhole("65535", 65535), 65535u);
    EXPECT_EQ(errorOf([] { readScpiWhole("65536", 65535); }), -222);
    EXPECT_EQ(errorOf([] { readScpiWhole("-1", 65535); }), -222);
    EXPECT_EQ(errorOf([] { readScpiWhole("1.5", 65535); }), -224);
    EXPECT_TRUE(readScpiBoolean("on"));
    EXPECT_TRUE(readScpiBoolean("0.5"));
    EXPECT_FALSE(readScpiBoolean("0.4"));
    EXPECT_FALSE(readScpiBoolean("OFF"));
    EXPECT_EQ(errorOf([] { readScpiBoolean("HALF"); }), -224);
    constexpr std::string_view kNames[] = {"NORMal", "R1K", "TSTate"};
    EXPECT_EQ(readScpiChoice("norm", kNames), 0);
    EXPECT_EQ(readScpiChoice("TSTATE", kNames), 2);
    EXPECT_EQ(errorOf([&] { readScpiChoice("NORMA", kNames); }), -224);
    EXPECT_EQ(readScpiChannels("(@3,1)", 4), (std::vector{3, 1}));
    EXPECT_EQ(readScpiChannels("(@4:2)", 4), (std::vector{4, 3, 2}));
    EXPECT_EQ(readScpiChannels("(@)", 4), std::vector<int>{});
    EXPECT_EQ(errorOf([] { readScpiChannels("(@1,1)", 4); }), -224);
    EXPECT_EQ(errorOf([] { readScpiChannels("(@0)", 4); }), -222);
    EXPECT_EQ(errorOf([] { readScpiChannels("(@5)", 4); }), -222);
    EXPECT_EQ(errorOf([] { readScpiChannels("1", 4); }), -104);
}

TEST(ScpiStatus, TheQueueItsOverflowAndTheStatusBits) {
    ScpiStatus status;
    EXPECT_EQ(status.takeEvents(), ScpiStatus::kPowerOn);
    const std::pair<ScpiErrorKind, uint8_t> classes[] = {
        {kSyntaxError, ScpiStatus::kCommandError},
        {kDataOutOfRange, ScpiStatus::kExecutionError},
        {kInputBufferOverrun, ScpiStatus::kDeviceError},
        {kQueryInterrupted, ScpiStatus::kQueryError},
        {{7, "Own error"}, ScpiStatus::kDeviceError},
    };
    for (const auto& [kind, bit] : classes) {
        status.report({kind, "x\"y"});
        EXPECT_EQ(status.takeEvents(), bit) << kind.code;
    }
    EXPECT_EQ(status.nextError(), "-102,\"Syntax error; x\"\"y\"");
    EXPECT_EQ(status.errorCount(), 4u);
    EXPECT_EQ(status.statusByte(), 4);
    status.eventEnable = ScpiStatus::kExecutionError;
    status.serviceEnable = 0xFF;
    status.report({kDataOutOfRange, ""});
    EXPECT_EQ(status.statusByte(), 4 | 32 | 64);
    status.serviceEnable = 32;
    EXPECT_EQ(status.statusByte(), 4 | 32 | 64);
    status.serviceEnable = 16;
    EXPECT_EQ(status.statusByte(), 4 | 32);
    for (int n = 0; n < 40; ++n)
        status.report({kUndefinedHeader, std::to_string(n)});
    EXPECT_EQ(status.errorCount(), ScpiStatus::kQueueLength);
    for (std::size_t n = 1; n < ScpiStatus::kQueueLength; ++n)
        status.nextError();
    EXPECT_EQ(status.nextError(), "-350,\"Queue overflow\"");
    EXPECT_EQ(status.nextError(), "0,\"No error\"");
    status.report({kSyntaxError, ""});
    status.clear();
    EXPECT_EQ(status.errorCount(), 0u);
    EXPECT_EQ(status.statusByte(), 0);
    EXPECT_EQ(status.takeEvents(), 0);
}
