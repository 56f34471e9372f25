#include "VirtualMeter.h"

#include <gmock/gmock.h>

#include "BoardSettings.h"

TEST(VirtualMeter, ItsSettingsAreReadAndBadOnesNamed) {
    const ParsedSettings parsed = parseBoardSettings(
        "meter=5025,probe=A,meter-sigma=1.5,meter-offset=-20,meter-gain=100,meter-ms=3,"
        "meter-stop-after=9");
    ASSERT_EQ(parsed.error, "");
    const MeterErrors& m = parsed.settings.meter;
    EXPECT_EQ(m.port, 5025);
    EXPECT_EQ(m.probe, 0);
    EXPECT_EQ(m.sigmaMicrovolts, 1.5);
    EXPECT_EQ(m.offsetMicrovolts, -20);
    EXPECT_EQ(m.gainPpm, 100);
    EXPECT_EQ(m.millisecondsPerReading, 3);
    EXPECT_EQ(m.stopAfter, 9u);
    EXPECT_EQ(parseBoardSettings("").settings.meter.port, 0) << "no meter unless asked";
    for (const char* bad :
         {"meter=0", "meter=70000", "probe=E", "probe=AB", "meter-sigma=-1", "meter-gain=x"})
        EXPECT_THAT(parseBoardSettings(bad).error, testing::HasSubstr(bad));
}

TEST(VirtualMeter, AnswersItsCommandsAndReadsTheOutputWithItsOwnErrors) {
    MeterErrors errors;  // port 0: the system picks one; only its answers are tested here
    errors.offsetMicrovolts = 10;
    errors.gainPpm = 100;
    VirtualMeter meter(errors, 1, [] { return 1.0; });
    EXPECT_EQ(meter.answer("*IDN?"), "XT4830,VIRTUAL-DMM,0,1.0");
    // 1 V x (1 + 100 ppm) + 10 uV
    EXPECT_EQ(meter.answer("READ?"), "+1.000110000e+00");
    EXPECT_EQ(meter.answer("meas:volt:dc?"), "+1.000110000e+00");
    for (const char* command :
         {"*RST", "*CLS", "CONF:VOLT:DC 10", "SENS:VOLT:DC:NPLC 1", "VOLTAGE:DC:ZERO:AUTO ON"})
        EXPECT_EQ(meter.answer(command), std::nullopt) << command;
    EXPECT_EQ(meter.answer("SYST:ERR?"), "+0,\"No error\"");
    EXPECT_EQ(meter.answer("FETCH?"), std::nullopt);
    EXPECT_EQ(meter.answer("SYSTEM:ERROR?"), "-113,\"Undefined header\"");
    EXPECT_EQ(meter.answer("SYST:ERR?"), "+0,\"No error\"") << "the queue read empties it";
}
