#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>

// A SCPI digital multimeter wired to one output of the virtual board, served on
// 127.0.0.1:port: *IDN?, *RST, *CLS, SYSTem:ERRor?, CONFigure:VOLTage:DC, SENSe:VOLTage:DC:NPLC,
// SENSe:VOLTage:DC:ZERO:AUTO, READ? and MEASure:VOLTage:DC?, one client at a time. A reading
// is the output's true voltage with the meter's own errors.
struct MeterErrors {
    int port = 0;
    int probe = 2;  // the output it is wired to, 0 = A ... 3 = D
    double sigmaMicrovolts = 0;
    double offsetMicrovolts = 0;
    double gainPpm = 0;
    int millisecondsPerReading = 0;
    std::optional<uint64_t> stopAfter;  // readings it answers before it goes away
};

class VirtualMeter {
public:
    // probe gives the output's true voltage; it may be called from the meter's own thread.
    VirtualMeter(const MeterErrors& errors, uint32_t seed, std::function<double()> probe);
    ~VirtualMeter();
    VirtualMeter(const VirtualMeter&) = delete;
    VirtualMeter& operator=(const VirtualMeter&) = delete;

    // Why it could not listen; empty when it serves.
    const std::string& failure() const { return failure_; }

    // The answer to one message (without its line end); nothing for a command.
    std::optional<std::string> answer(const std::string& message);

private:
    void serve();
    void talkTo(int client);
    double reading();

    MeterErrors errors_;
    std::function<double()> probe_;
    std::mt19937 noise_;
    std::normal_distribution<double> gaussian_;
    std::string error_ = "+0,\"No error\"";
    uint64_t readings_ = 0;
    int listener_ = -1;
    std::string failure_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
