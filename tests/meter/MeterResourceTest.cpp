#include "meter/Meter.h"
#include "meter/MeterResource.h"

#include <gmock/gmock.h>

TEST(MeterResource, VisaNamesAreRead) {
    using B = MeterBus;
    // resource, bus, host, port, name, path, baud
    using Case = std::tuple<const char*, B, const char*, int, const char*, const char*, int>;
    for (const auto& [text, bus, host, port, name, path, baud] :
         {Case{"TCPIP::h::1::SOCKET", B::Socket, "h", 1, "inst0", "", 9600},
          Case{"TCPIP::h::65535::SOCKET", B::Socket, "h", 65535, "inst0", "", 9600},
          Case{"TCPIP::192.168.1.5::5025::SOCKET", B::Socket, "192.168.1.5", 5025, "inst0", "",
               9600},
          Case{"tcpip0::dmm.lab::5555::socket", B::Socket, "dmm.lab", 5555, "inst0", "", 9600},
          Case{"TCPIP::dmm.lab::INSTR", B::Vxi11, "dmm.lab", 5025, "inst0", "", 9600},
          Case{"TCPIP0::dmm.lab::gpib0,22::INSTR", B::Vxi11, "dmm.lab", 5025, "gpib0,22", "", 9600},
          Case{"USB0::/dev/usbtmc1::INSTR", B::Usbtmc, "", 5025, "inst0", "/dev/usbtmc1", 9600},
          Case{"/dev/usbtmc0", B::Usbtmc, "", 5025, "inst0", "/dev/usbtmc0", 9600},
          Case{"ASRL/dev/ttyUSB0::INSTR", B::Serial, "", 5025, "inst0", "/dev/ttyUSB0", 9600},
          Case{"ASRL/dev/ttyS1::INSTR::115200::8N1", B::Serial, "", 5025, "inst0", "/dev/ttyS1",
               115200}}) {
        std::string problem;
        const auto r = parseMeterResource(text, problem);
        ASSERT_TRUE(r) << text << ": " << problem;
        EXPECT_EQ(r->bus, bus) << text;
        EXPECT_EQ(r->host, host) << text;
        EXPECT_EQ(r->port, port) << text;
        EXPECT_EQ(r->name, name) << text;
        EXPECT_EQ(r->path, path) << text;
        EXPECT_EQ(r->baud, baud) << text;
    }
    for (const char* bad :
         {"", "TCPIP::host::0::SOCKET", "TCPIP::host::65536::SOCKET", "TCPIP::host::70000::SOCKET",
          "TCPIP::host::x::SOCKET", "TCPIP::::5025::SOCKET", "TCPIP::host::5025::RAW",
          "TCPIPX::host::INSTR", "GPIB0::22::INSTR", "USB0::/dev/sda::INSTR", "ASRL/dev/ttyS0",
          "ASRL::INSTR", "ASRL/dev/ttyS0::INSTR::12345::7E1", "ASRL/dev/ttyS0::INSTR::12",
          "ASRL/dev/ttyS0::INSTR::12345", "/dev/usbtmc0::x::y"}) {
        std::string problem;
        EXPECT_FALSE(parseMeterResource(bad, problem)) << bad;
        EXPECT_FALSE(problem.empty()) << bad;
    }
}

TEST(Meter, SettingsOutsideTheirRangesAreNamedAndAMissingDeviceIsTheConnectingStep) {
    const auto problem = [](double range, double nplc, double ppmReading, double ppmRange) {
        MeterSettings s;
        s.rangeVolts = range;
        s.nplc = nplc;
        s.accuracy = MeterAccuracy{ppmReading, ppmRange};
        return meterSettingsProblem(s).has_value();
    };
    EXPECT_FALSE(problem(1000, 1000, 100000, 100000));
    EXPECT_FALSE(problem(0.1, 0.001, 0, 0));
    for (const auto& [range, nplc, reading, ofRange] :
         {std::tuple{0.0, 1.0, 0.0, 0.0}, std::tuple{1000.5, 1.0, 0.0, 0.0},
          std::tuple{10.0, 0.0009, 0.0, 0.0}, std::tuple{10.0, 1000.5, 0.0, 0.0},
          std::tuple{10.0, 1.0, -1.0, 0.0}, std::tuple{10.0, 1.0, 100000.5, 0.0},
          std::tuple{10.0, 1.0, 0.0, -1.0}, std::tuple{10.0, 1.0, 0.0, 100000.5}})
        EXPECT_TRUE(problem(range, nplc, reading, ofRange)) << range << " " << nplc;
    MeterSettings s;
    s.resource = "/dev/usbtmc-absent";
    try {
        Meter meter(s, {});
        ADD_FAILURE() << "opened " << meter.identity();
    } catch (const MeterError& e) {
        EXPECT_THAT(e.what(), testing::StartsWith("meter /dev/usbtmc-absent, connecting: "));
    }
}
