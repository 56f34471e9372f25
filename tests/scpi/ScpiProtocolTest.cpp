#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <string>

#include "scpi/LineFramer.h"
#include "scpi/ScpiHeaders.h"
#include "scpi/ScpiParser.h"
#include "scpi/ScpiStandardCommands.h"
#include "scpi/ScpiStatus.h"
#include "scpi/ScpiValues.h"

namespace {

// The units of a message as "NODE:NODE2?|param|param", or "error N", joined by " / ".
std::string units(std::string_view message) {
    std::string found;
    MessageUnits reader(message);
    while (const auto unit = reader.next()) {
        found += found.empty() ? "" : " / ";
        if (const auto* error = std::get_if<ScpiError>(&*unit)) {
            found += "error " + std::to_string(error->kind.code);
            continue;
        }
        const auto& u = std::get<ProgramUnit>(*unit);
        std::string text = u.common ? "*" : "";
        for (const HeaderNode& node : u.nodes) {
            text += (text.empty() || text == "*" ? "" : ":") + node.mnemonic;
            if (node.suffix) text += std::to_string(*node.suffix);
        }
        found += text + (u.query ? "?" : "");
        for (const std::string& p : u.parameters)
            found += "|" + p;
    }
    return found;
}

// The suffixes a header takes from pattern, or "none" when it is another command.
std::string suffixes(std::string_view pattern, std::string_view header) {
    MessageUnits reader(header);
    const auto taken = matchHeader(pattern, std::get<ProgramUnit>(*reader.next()));
    if (!taken) return "none";
    std::string text;
    for (const int n : *taken)
        text += std::to_string(n);
    return text;
}

}  // namespace

TEST(ScpiParser, UnitsTakeThePathOfTheUnitBefore) {
    // clang-format off
    const std::array<std::string_view, 2> cases[] = {
        {"SOUR2:VOLT 1;CODE? ; :OUTP:CLR 0", "SOUR2:VOLT|1 / SOUR2:CODE? / OUTP:CLR|0"},
        {"a:b:c 1;*cls;d", "A:B:C|1 / *CLS / A:B:D"}, {"A 1,;B", "error -102 / B"},
        {"MEAS? (@1,2), 'a;b' ,#H1F", "MEAS?|(@1,2)|'a;b'|#H1F"}, {"A ,1", "error -102"},
        {"*A:B", "error -102"}, {"A-B", "error -102"}, {"ABCDEFGHIJKLM", "error -112"},
        {"A1234567890", "error -114"}, {"A (1;B", "error -170"}, {"A 1);B", "error -170"},
        {"A 'x;B", "error -150"}, {"A;B\x01", "error -101"}, {";;", ""},
        // A header deeper than 16 nodes is refused and leaves the path as it was.
        {"A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;A:B;:C",
         "A:B / A:A:B / A:A:A:B / A:A:A:A:B / A:A:A:A:A:B / A:A:A:A:A:A:B / A:A:A:A:A:A:A:B / "
         "A:A:A:A:A:A:A:A:B / A:A:A:A:A:A:A:A:A:B / A:A:A:A:A:A:A:A:A:A:B / "
         "A:A:A:A:A:A:A:A:A:A:A:B / A:A:A:A:A:A:A:A:A:A:A:A:B / A:A:A:A:A:A:A:A:A:A:A:A:A:B / "
         "A:A:A:A:A:A:A:A:A:A:A:A:A:A:B / A:A:A:A:A:A:A:A:A:A:A:A:A:A:A:B / error -110 / "
         "error -110 / C"},
    };
    // clang-format on
    for (const auto& [message, found] : cases)
        EXPECT_EQ(units(message), found) << message;
}

TEST(ScpiHeaders, PatternsTakeShortLongOptionalAndSuffixedNodes) {
    // clang-format off
    const std::array<std::string_view, 3> cases[] = {
        {"SOURce#:VOLTage[:LEVel]?", "sour2:volt:lev?", "2"},
        {"SOURce#:VOLTage[:LEVel]?", "SOURCE:VOLTAGE?", "1"},
        {"SOURce#:VOLTage[:LEVel]?", "SOUR:VOLT", "none"},
        {"SOURce#:VOLTage[:LEVel]?", "SOUR:VOLTA?", "none"},
        {"SYSTem:ERRor[:NEXT]?", "SYST2:ERR?", "none"}, {"[SENSe#]:VOLTage", "VOLT", "1"},
        {"*IDN?", "*idn?", ""}, {"*IDN?", "IDN?", "none"},
    };
    // clang-format on
    for (const auto& [pattern, header, taken] : cases)
        EXPECT_EQ(suffixes(pattern, header), taken) << pattern << " " << header;
}

std::string shortest(double value) {
    std::array<char, 32> text{};
    return {text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr};
}

// What a reading of text gives: "n" a number (volts), "r" one from -1 to 2 (default 0.5), "w" a
// whole number up to 65535 (default 7), "b" a boolean, "c" a choice, "l" a channel list up to
// 4; "error N" when it fails.
std::string read(char kind, std::string_view text) {
    constexpr UnitSuffix kVolts[] = {{"V", 1}, {"MV", 1e-3}};
    constexpr std::string_view kNames[] = {"NORMal", "R1K", "TSTate"};
    try {
        if (kind == 'n') return shortest(readScpiNumber(text, kVolts));
        if (kind == 'r') return shortest(readScpiNumber(text, kVolts, {-1, 2, 0.5}));
        if (kind == 'w') return std::to_string(readScpiWhole(text, 65535, 7));
        if (kind == 'b') return readScpiBoolean(text) ? "on" : "off";
        if (kind == 'c') return std::to_string(readScpiChoice(text, kNames));
        std::string list;
        for (const int n : readScpiChannels(text, 4))
            list += std::to_string(n);
        return list;
    } catch (const ScpiError& e) {
        return "error " + std::to_string(e.kind.code);
    }
}

TEST(ScpiValues, NumbersChoicesAndChannelListsAndTheirErrors) {
    // clang-format off
    const std::array<std::string_view, 3> cases[] = {
        {"n", "1.5", "1.5"}, {"n", "-2E-3", "-0.002"}, {"n", ".5e+0004", "5000"},
        {"n", "#H8000", "32768"}, {"n", "#B101", "5"}, {"n", "#Q17", "15"}, {"n", "2V", "2"},
        {"n", "1500 mV", "1.5"}, {"n", "#HXYZ", "error -121"}, {"n", "#X1", "error -121"},
        {"n", "1e32001", "error -123"}, {"n", "1 A", "error -131"}, {"n", "'1'", "error -158"},
        {"n", "(1)", "error -178"}, {"n", "#12ab", "error -168"}, {"n", "ON", "error -148"},
        {"n", "-", "error -121"}, {"n", "1E", "error -121"}, {"r", "MIN", "-1"},
        {"r", "maximum", "2"}, {"r", "DEF", "0.5"}, {"r", "2.01", "error -222"},
        {"r", "-1.01", "error -222"}, {"r", "MINI", "error -148"}, {"w", "65535", "65535"},
        {"w", "65536", "error -222"}, {"w", "-1", "error -222"}, {"w", "1.5", "error -224"},
        {"w", "MAX", "65535"}, {"w", "DEFAULT", "7"}, {"w", "5 V", "error -138"},
        {"b", "on", "on"}, {"b", "0.5", "on"}, {"b", "0.4", "off"}, {"b", "OFF", "off"},
        {"b", "HALF", "error -224"}, {"c", "norm", "0"}, {"c", "TSTATE", "2"},
        {"c", "NORMA", "error -224"}, {"l", "(@3,1)", "31"}, {"l", "(@4:2)", "432"},
        {"l", "(@)", ""}, {"l", "(@1,1)", "error -224"}, {"l", "(@0)", "error -222"},
        {"l", "(@5)", "error -222"}, {"l", "1", "error -104"}, {"l", "ON", "error -148"},
        {"l", "(@1,  2)", "12"},
    };
    // clang-format on
    for (const auto& [kind, text, value] : cases)
        EXPECT_EQ(read(kind[0], text), value) << kind << " " << text;
    EXPECT_EQ(read('n', std::string(256, '1')), "error -124");
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

TEST(LineFramer, MessagesEndOnlyAtTheirTerminatorAndLongLinesAreDropped) {
    LineFramer framer(8);
    std::string seen;
    const auto take = [&](std::string_view bytes) {
        framer.take(
            bytes,
            [&](std::string_view line) { return seen += "[" + std::string(line) + "]", true; },
            [&] { seen += "overrun"; });
    };
    take("*IDN?\r\nSOUR1:");
    EXPECT_TRUE(framer.midLine());
    take("CO\n\n123456789");
    EXPECT_EQ(seen, "[*IDN?][SOUR1:CO][]overrun");
    take("0123456789\nA\nB");
    EXPECT_EQ(seen, "[*IDN?][SOUR1:CO][]overrun[A]");
    EXPECT_TRUE(framer.midLine());
    framer.take(
        "\nC\n", [&](std::string_view line) { return seen += line, false; }, [] {});
    EXPECT_EQ(seen, "[*IDN?][SOUR1:CO][]overrun[A]B");
}

TEST(ScpiStandardCommands, StatusCommandsOverTheClientsStatus) {
    ScpiStatus status;
    const auto run = [&status](std::string_view message) {
        std::string answers;
        MessageUnits reader(message);
        while (const auto unit = reader.next()) {
            try {
                const auto answer = runStandardCommand(std::get<ProgramUnit>(*unit), status);
                answers += !answer ? "none;" : answer->value_or("-") + ";";
            } catch (const ScpiError& e) {
                answers += "error " + std::to_string(e.kind.code) + ";";
            }
        }
        return answers;
    };
    EXPECT_EQ(run("*ESR?;*ESE 36;*ESE?;*SRE 255;*SRE?;*OPC;*ESR?;*OPC?;*WAI;STAT:PRES"),
              "128;-;36;-;191;-;1;1;-;-;");
    EXPECT_EQ(run("*ESE;*SRE 1,2;*CLS 1;SYST:ERR:COUN? 1;:SYST:VERS? 1;*ESE 256;:SYST:ERR:COUN?"),
              "error -109;error -108;error -108;error -108;error -108;error -222;0;");
    status.report({kSyntaxError, "x"});
    EXPECT_EQ(run("*STB?;SYST:ERR:COUN?;:SYST:ERR?;:SYST:ERR?;:SYST:VERS?;:SOUR1:CODE?"),
              "100;1;-102,\"Syntax error; x\";0,\"No error\";1999.0;none;");
    status.report({kSyntaxError, "x"});
    EXPECT_EQ(run("*CLS;*STB?"), "-;0;");
}
