#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "meter/MeterLink.h"

// A meter's accuracy as its data sheet gives it for the range in use: +/- (ppm of the reading
// + ppm of the range), a limit.
struct MeterAccuracy {
    double ppmOfReading = 0;
    double ppmOfRange = 0;
};

// How a DC voltage measurement is set up; each has the default the command line documents.
struct MeterSettings {
    std::string resource;
    double rangeVolts = 10;
    double nplc = 1;  // integration time in power-line cycles
    bool autoZero = true;
    std::optional<MeterAccuracy> accuracy;  // none: not stated, so in no uncertainty
    std::chrono::milliseconds timeout{5000};
};

// What is wrong with the settings (resource aside), or nothing.
std::optional<std::string> meterSettingsProblem(const MeterSettings& settings);

// A SCPI digital multimeter measuring DC volts. Opening it identifies it and sets up the
// measurement, then checks its error queue; it is never reset. Every failure is a MeterError
// naming the meter and the step.
class Meter {
public:
    Meter(const MeterSettings& settings, WaitCheck check);

    const std::string& identity() const { return identity_; }
    const MeterSettings& settings() const { return settings_; }
    // One reading in volts.
    double readVolts();

private:
    std::string ask(const std::string& query, const char* step);
    void tell(const std::string& command, const char* step);
    [[noreturn]] void fail(const char* step, const std::string& why) const;

    MeterSettings settings_;
    WaitCheck check_;
    std::unique_ptr<MeterLink> link_;
    std::string identity_;
};

// A reading far beyond what any output of the board can give: the meter answers nonsense (or
// an overload). In volts.
inline constexpr double kLargestReading = 12;
