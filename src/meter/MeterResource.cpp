#include "meter/MeterResource.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "command/NumberReading.h"

namespace {

std::vector<std::string> fieldsOf(std::string_view text) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find("::", start);
        fields.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 2;
    }
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// "TCPIP", "TCPIP0", ...: the interface word with an optional board number.
bool isInterface(const std::string& field, std::string_view word) {
    const std::string head = upper(field);
    if (!head.starts_with(word)) return false;
    return std::all_of(head.begin() + static_cast<std::ptrdiff_t>(word.size()), head.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::optional<int> wholeIn(const std::string& text, int low, int high) {
    const auto value = readWholeUnsigned(text, 10);
    if (!value || *value < static_cast<uint64_t>(low) || *value > static_cast<uint64_t>(high)) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

std::optional<MeterResource> lan(const std::vector<std::string>& f, std::string& problem) {
    MeterResource r;
    const std::string last = upper(f.back());
    if (f.size() == 4 && last == "SOCKET") {
        const auto port = wholeIn(f[2], 1, 65535);
        if (!port) {
            problem = "the port must be 1 to 65535";
            return std::nullopt;
        }
        r.host = f[1];
        r.port = *port;
    } else if ((f.size() == 3 || f.size() == 4) && last == "INSTR") {
        r.bus = MeterBus::Vxi11;
        r.host = f[1];
        if (f.size() == 4) r.name = f[2];
    } else {
        problem = "a LAN meter is TCPIP::HOST::PORT::SOCKET or TCPIP::HOST[::NAME]::INSTR";
        return std::nullopt;
    }
    if (r.host.empty()) problem = "the meter's host is missing";
    return problem.empty() ? std::optional(r) : std::nullopt;
}

std::optional<MeterResource> serial(const std::vector<std::string>& f, std::string& problem) {
    MeterResource r;
    r.bus = MeterBus::Serial;
    r.path = f[0].substr(4);
    const bool framed = f.size() < 4 || upper(f[3]) == "8N1";
    const auto baud = f.size() >= 3 ? wholeIn(f[2], 1200, 115200) : std::optional(9600);
    if (r.path.empty() || f.size() < 2 || upper(f[1]) != "INSTR" || f.size() > 4 || !baud ||
        !framed ||
        std::find(kSerialSpeeds.begin(), kSerialSpeeds.end(), *baud) == kSerialSpeeds.end()) {
        problem = "a serial meter is ASRL/dev/ttyX::INSTR[::BAUD[::8N1]]";
        return std::nullopt;
    }
    r.baud = *baud;
    return r;
}

}  // namespace

std::optional<MeterResource> parseMeterResource(std::string_view text, std::string& problem) {
    problem.clear();
    const std::vector<std::string> f = fieldsOf(text);
    if (isInterface(f[0], "TCPIP") && f.size() >= 3) return lan(f, problem);
    if (upper(f[0]).starts_with("ASRL")) return serial(f, problem);
    const bool usb = isInterface(f[0], "USB") && f.size() >= 2;
    const std::string& path = usb ? f[1] : f[0];
    if (path.starts_with("/dev/usbtmc") && (usb ? f.size() <= 3 : f.size() == 1)) {
        MeterResource r;
        r.bus = MeterBus::Usbtmc;
        r.path = path;
        return r;
    }
    problem = "\"" + std::string(text) +
              "\" is not a meter: give TCPIP::HOST::PORT::SOCKET, TCPIP::HOST::INSTR, "
              "USB::/dev/usbtmcN::INSTR or ASRL/dev/ttyX::INSTR";
    return std::nullopt;
}
