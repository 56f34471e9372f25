#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Where a meter is, from its VISA resource string as test programs name it:
//   TCPIP[n]::HOST::PORT::SOCKET        SCPI over a raw socket (port 5025 on most meters)
//   TCPIP[n]::HOST[::NAME]::INSTR       VXI-11 (NAME defaults to inst0)
//   USB[n]::/dev/usbtmcN[::INSTR]       the kernel's USBTMC driver; also /dev/usbtmcN alone
//   ASRL/dev/ttyUSB0::INSTR[::BAUD[::8N1]]  a serial line (default 9600 baud, 8N1)
// The speeds a serial meter may take.
inline constexpr std::array<int, 8> kSerialSpeeds{1200,  2400,  4800,  9600,
                                                  19200, 38400, 57600, 115200};

enum class MeterBus { Socket, Vxi11, Usbtmc, Serial };

struct MeterResource {
    MeterBus bus = MeterBus::Socket;
    std::string host;  // Socket and Vxi11
    int port = 5025;
    std::string name = "inst0";  // VXI-11's device name
    std::string path;            // Usbtmc and Serial
    int baud = 9600;
};

// The resource, or nothing with problem set to what is wrong with the text.
std::optional<MeterResource> parseMeterResource(std::string_view text, std::string& problem);
