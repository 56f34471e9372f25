#include "VirtualMeter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSliceMs = 50;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Whether the header (upper case, no optional nodes) is one of the forms: each word's short
// form or long form, the SENSe root optional.
bool isHeader(const std::string& header, std::initializer_list<const char*> forms) {
    return std::any_of(forms.begin(), forms.end(),
                       [&](const char* form) { return header == form; });
}

}  // namespace

VirtualMeter::VirtualMeter(const MeterErrors& errors, uint32_t seed, std::function<double()> probe)
    : errors_(errors), probe_(std::move(probe)), noise_(seed) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(errors.port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 1) != 0) {
        failure_ = "the virtual meter cannot listen on port " + std::to_string(errors.port) + ": " +
                   std::strerror(errno);
        std::fprintf(stderr, "virtual board: %s\n", failure_.c_str());
        return;
    }
    thread_ = std::thread([this] { serve(); });
}

VirtualMeter::~VirtualMeter() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
}

void VirtualMeter::serve() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        talkTo(client);
        ::close(client);
        if (errors_.stopAfter && readings_ >= *errors_.stopAfter) return;  // gone for good
    }
}

void VirtualMeter::talkTo(int client) {
    std::string pending;
    char buffer[512];
    while (!stopping_) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0) continue;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end = pending.find('\n'); end != std::string::npos;
             end = pending.find('\n')) {
            std::string message = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!message.empty() && message.back() == '\r') message.pop_back();
            if (errors_.stopAfter && readings_ >= *errors_.stopAfter) return;
            const std::optional<std::string> reply = answer(message);
            if (!reply) continue;
            const std::string line = *reply + "\n";
            if (::send(client, line.data(), line.size(), MSG_NOSIGNAL) < 0) return;
        }
        if (pending.size() > 4096) return;  // no line end: not a SCPI client
    }
}

double VirtualMeter::reading() {
    // The reading's time in slices, so a board closed meanwhile is not held up by it.
    const auto done = std::chrono::steady_clock::now() +
                      std::chrono::milliseconds(errors_.millisecondsPerReading);
    while (!stopping_ && std::chrono::steady_clock::now() < done) {
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(kSliceMs), done - std::chrono::steady_clock::now()));
    }
    ++readings_;
    const double noise =
        errors_.sigmaMicrovolts > 0 ? gaussian_(noise_) * errors_.sigmaMicrovolts : 0.0;
    return probe_() * (1 + errors_.gainPpm * 1e-6) + (errors_.offsetMicrovolts + noise) * 1e-6;
}

std::optional<std::string> VirtualMeter::answer(const std::string& message) {
    const std::size_t blank = message.find(' ');
    const std::string header = upper(message.substr(0, blank));
    if (header == "*IDN?") return "XT4830,VIRTUAL-DMM,0,1.0";
    if (header == "*RST" || header == "*CLS") {
        error_ = "+0,\"No error\"";
        return std::nullopt;
    }
    if (isHeader(header, {"SYST:ERR?", "SYSTEM:ERROR?", "SYST:ERR:NEXT?", "SYSTEM:ERROR:NEXT?"})) {
        const std::string error = error_;
        error_ = "+0,\"No error\"";
        return error;
    }
    if (isHeader(header, {"READ?", "MEAS:VOLT:DC?", "MEASURE:VOLTAGE:DC?", "MEAS?"})) {
        std::array<char, 32> text{};
        const double volts = reading();
        const auto end = std::to_chars(text.data(), text.data() + text.size(), volts,
                                       std::chars_format::scientific, 9)
                             .ptr;
        return (volts >= 0 ? "+" : "") + std::string(text.data(), end);
    }
    if (isHeader(header, {"CONF:VOLT:DC", "CONFIGURE:VOLTAGE:DC", "VOLT:DC:NPLC", "VOLTAGE:DC:NPLC",
                          "SENS:VOLT:DC:NPLC", "SENSE:VOLTAGE:DC:NPLC", "VOLT:DC:ZERO:AUTO",
                          "VOLTAGE:DC:ZERO:AUTO", "SENS:VOLT:DC:ZERO:AUTO",
                          "SENSE:VOLTAGE:DC:ZERO:AUTO"})) {
        return std::nullopt;
    }
    error_ = "-113,\"Undefined header\"";
    return std::nullopt;
}
