#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command/CommandComposer.h"
#include "measure/AdcCalibration.h"
#include "measure/Characterisation.h"
#include "measure/Linearity.h"
#include "measure/SettleWait.h"
#include "measure/Verdicts.h"
#include "meter/Meter.h"

class Declare;

// The board's ADC checked against an external meter on the same output: the DAC steps finely
// over most of the ADC's range, the ADC reads each step many times, and the meter reads the
// output every few steps. Every reading of a step stands for the step's share of the input, so
// the readings' counts spread over the input give each count's width (a histogram test) and,
// added up, the input at which each count begins: its transition, in volts by the meter.
// From the transitions: the ADC's offset and gain against the line through the first and last
// ones, its INL (a transition's distance from that line) and DNL (a count's width less one).

struct AdcCheckSettings {
    int output = 0;            // 0 = A ... 3 = D: the DAC output the ADC and the meter both read
    int32_t stride = 1;        // DAC codes between steps
    int32_t samples = 16;      // ADC readings per step
    int32_t meterEvery = 256;  // DAC codes between meter points
    double lowPercent = 2;     // the part of the DAC's full scale stepped
    double highPercent = 98;
    double dacReference = 3.0;
    double adcReference = 3.0;
    AdcAccuracy adc;  // the ADC's accuracy terms in force, checked against the figures
    MeterSettings meter;
    std::chrono::milliseconds settle{0};
};

// What is wrong with the settings, in words the command line shows; nothing when they can run.
std::optional<std::string> adcCheckSettingsProblem(const AdcCheckSettings& settings);

// The meter's two readings at one code.
struct MeterPoint {
    int32_t code = 0;
    double volts = 0;  // their mean
    double difference = 0;
};

// What a check measured: the meter's points and each step's ADC readings.
struct AdcCheckReadings {
    std::vector<int32_t> codes;     // the steps taken, ascending
    std::vector<uint16_t> counts;   // samples a step, step after step
    std::vector<MeterPoint> meter;  // ascending codes, the first and last step among them
};

// The run one step at a time, so a caller can show progress and stop.
class AdcCheck {
public:
    AdcCheck(Declare& requests, const AdcCheckSettings& settings, Meter& meter);

    bool done() const { return next_ >= plan_.size(); }
    int64_t total() const { return static_cast<int64_t>(plan_.size()); }
    int64_t measured() const { return static_cast<int64_t>(next_); }
    // Writes the next step's code, lets it settle, reads the meter at its points and then the
    // ADC.
    void next();
    // Called within the settling waits, where it may end the run by throwing.
    void stopWith(Checkpoint checkpoint) { checkpoint_ = std::move(checkpoint); }
    const AdcCheckReadings& readings() const { return readings_; }
    const AdcCheckSettings& settings() const { return settings_; }

private:
    Checkpoint checkpoint_;
    Declare& requests_;
    AdcCheckSettings settings_;
    Meter& meter_;
    CommandComposer composer_;
    std::vector<int32_t> plan_;
    std::size_t next_ = 0;
    int32_t lastMeterCode_ = 0;
    AdcCheckReadings readings_;
};

// The figures, in ADC counts (gain in %), each with its standard uncertainty; whether the terms
// in force cover each one (PASS: with its U = 2u; FAIL: not even without; else INDETERMINATE).
struct AdcCheckResult {
    std::string problem;  // why there are no figures; empty otherwise
    int32_t firstCount = 0;
    // The input at which each count from firstCount on begins, in counts of the told reference
    // (an ideal converter's count k begins at k - 0.5), with their standard uncertainties.
    std::vector<double> transitions;
    std::vector<double> transitionUncertainties;
    double meterNoiseVolts = 0;  // the spread of one meter reading
    Figure offsetCounts;
    Figure gainErrorPercent;
    Extreme inl;                       // the transition farthest from the line, with its sign
    Extreme dnl;                       // the count whose width is farthest from one, with its sign
    std::array<Verdict, 4> covered{};  // offset, gain, INL, DNL
};

AdcCheckResult analyseAdcCheck(const AdcCheckReadings& readings, const AdcCheckSettings& settings);

// The calibration a check gives on this board: its transitions, and what each term leaves
// uncertain after correcting with them.
AdcCalibration calibrationOf(const AdcCheckResult& result, const AdcCheckSettings& settings,
                             const std::string& board);

// The figures as text, a row a line, each with whether the terms in force cover it.
std::string adcCheckSummary(const AdcCheckResult& result, const AdcCheckSettings& settings);
