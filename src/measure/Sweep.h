#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command/CommandComposer.h"
#include "measure/AdcCalibration.h"
#include "measure/SettleWait.h"
#include "meter/Meter.h"

class Declare;

// A code sweep of one DAC output: each code written with "Write to and Update DAC channel n"
// and the output read back through the board's ADC, against the ideal transfer function. The
// codes go from the first by the step and end on the last one (steppedNext).
struct SweepSettings {
    int output = 0;  // 0 = A ... 3 = D
    int32_t from = 0;
    int32_t to = 0xFFFF;
    int32_t step = 0x100;                 // 1 or more
    double dacReference = 3.0;            // volts: ideal output = code x reference / 65536
    double adcReference = 3.0;            // volts: the board ADC's full scale over 4096 counts
    std::chrono::milliseconds settle{0};  // between a write and its read
};

// What is wrong with settings, in the words that the command line and the sweep page both
// show; nothing when they can be run.
std::optional<std::string> sweepSettingsProblem(const SweepSettings& settings);

struct SweepPoint {
    int32_t code;
    double idealVolts;
    int32_t count;
    double measuredVolts;
    int32_t difference;  // count - the count of the ideal output, in ADC counts
};

struct SweepSummary {
    double offsetCounts;        // where the best straight line through the points meets code 0
    double gainErrorPercent;    // how far its slope is from the ideal one
    int32_t largestDifference;  // the largest difference in size, with its sign
};

// The sweep one point at a time, so a caller can show each point and stop between them.
class Sweep {
public:
    // With a meter, each point's volts are the meter's, its count what an ideal ADC would
    // give for them; with a calibration, the ADC's volts are corrected and so is its count.
    Sweep(Declare& requests, const SweepSettings& settings, Meter* meter = nullptr,
          std::optional<AdcCalibration> calibration = std::nullopt);

    bool done() const { return next_ > settings_.to; }
    const SweepSettings& settings() const { return settings_; }
    // How many points the whole sweep has, and how many are measured.
    int total() const;
    int measured() const { return measured_; }
    // Writes the next code, lets it settle and reads it back. The multiplexer is set to the
    // output before the first point.
    SweepPoint next();
    // Called within the settling waits, where it may end the run by throwing.
    void stopWith(Checkpoint checkpoint) { checkpoint_ = std::move(checkpoint); }

private:
    Checkpoint checkpoint_;
    Declare& requests_;
    SweepSettings settings_;
    Meter* meter_;
    std::optional<AdcCalibration> calibration_;
    CommandComposer composer_;
    int32_t next_;
    int measured_ = 0;
};

// The volts a count of the board's ADC stands for: count / 4096 x reference, or with the
// calibration its corrected count's.
double adcReadingVolts(int32_t count, double reference,
                       const std::optional<AdcCalibration>& calibration);

// The count the ADC gives for volts, as an ideal 12-bit converter: rounded, within 0 to 4095.
int32_t idealCount(double volts, double adcReference);

// The best straight line (least squares) through the points whose counts lie off the ADC's two
// ends, and the largest difference of all.
SweepSummary summarize(const std::vector<SweepPoint>& points);
