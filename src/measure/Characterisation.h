#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command/CommandComposer.h"
#include "measure/AdcCalibration.h"
#include "measure/CodePlan.h"
#include "measure/SettleWait.h"
#include "measure/Verdicts.h"
#include "meter/Meter.h"

class Declare;

// A static characterisation of one DAC output through the board's 12-bit ADC: the codes of a
// plan, each read many times and averaged. One ADC count spans 16 DAC steps at equal
// references, so a single reading cannot see one step; the mean of readings with about half a
// count of noise or more can, and a dither of the code around each measured code brings that
// spread to a board that is quieter.

enum class PlanKind { Grid, Carries, Window, All };
enum class FitLine { EndPoint, LeastSquares };

// Names as the command line takes them and the results give them.
inline constexpr std::array<const char*, 4> kPlanNames{"grid", "carries", "window", "all"};
inline constexpr std::array<const char*, 2> kLineNames{"end-point", "least-squares"};

// The board ADC's accuracy as its data sheet states it: limits, each the largest error the
// converter may have, taken as an equally likely error anywhere within them. The defaults are
// those of a typical 12-bit converter; zero for all is an ideal converter.
struct AdcAccuracy {
    double offsetCounts = 2;
    double gainPercent = 0.1;  // of full scale
    double inlCounts = 1;
    double dnlCounts = 1;
    double referencePercent = 0.1;  // the reference's tolerance
};

struct CharacteriseSettings {
    int output = 0;  // 0 = A ... 3 = D
    PlanKind plan = PlanKind::Grid;
    int32_t stride = 64;  // the grid's code step
    int32_t from = 0;     // the window's first and last codes
    int32_t to = 0xFFFF;
    int32_t samples = 256;  // readings per code, 2 or more
    int32_t dither = 0;     // readings spread over codes within this many steps of the code
    bool shuffled = false;  // blocks in a shuffled order instead of ascending codes
    FitLine line = FitLine::LeastSquares;
    double fitLowPercent = 10;  // the line is fitted over codes in this part of full scale
    double fitHighPercent = 90;
    double dacReference = 3.0;
    double adcReference = 3.0;
    AdcAccuracy adc;
    std::chrono::milliseconds settle{0};  // after each write, before its first reading
    // Readings from this external meter instead of the board's ADC, at its resolution and
    // with its accuracy in place of the ADC's.
    std::optional<MeterSettings> meter;
    // The board ADC's readings corrected with this calibration, whose own uncertainty then
    // replaces the ADC's stated accuracy (without a meter only).
    std::optional<AdcCalibration> calibration;
    std::vector<FigureLimit> limits;  // data-sheet limits the figures are judged against
};

// A meter's reading is taken in whole microvolts: far finer than a DAC step (46 uV at 3 V)
// and exact in the sums of a code's readings.
inline constexpr double kMeterVoltsPerCount = 1e-6;
// Readings per code with a meter: their squares summed stay exact.
inline constexpr int32_t kMostMeterSamples = 50000;

// The volts of one count of whatever reads the output.
double voltsPerCount(const CharacteriseSettings& settings);

// The accuracy of whatever reads the output, in its counts: the board ADC's (what its
// calibration leaves, when it is calibrated), or the meter's (ppm of range as an offset, ppm
// of reading as a gain error; none when it is not stated).
AdcAccuracy readerAccuracy(const CharacteriseSettings& settings);

// What is wrong with the settings, in words the command line and the window both show;
// nothing when they can be run.
std::optional<std::string> characteriseSettingsProblem(const CharacteriseSettings& settings);

// The readings taken at one code, summed exactly.
struct CodeReadings {
    int32_t code = 0;
    int64_t count = 0;  // readings
    int64_t sum = 0;
    int64_t sumOfSquares = 0;
    bool clipped = false;  // a reading at either end of the ADC: the mean is biased
    // The differences of the 1st and 2nd, 3rd and 4th, ... readings, squared and to the fourth
    // power: the shape of the readings' spread, whatever their mean.
    int64_t last = 0;
    double pairSquares = 0;
    double pairFourths = 0;

    double mean() const;
    // The mean as the count of an ideal converter: corrected with the calibration, if any.
    double mean(const std::optional<AdcCalibration>& calibration) const;
    // The readings' sample variance, in counts squared (0 for fewer than two).
    double variance() const;
};

// The characterisation one reading at a time, so a caller can show progress and stop.
class Characterisation {
public:
    // With a meter, it reads the output instead of the board's ADC.
    Characterisation(Declare& requests, const CharacteriseSettings& settings,
                     Meter* meter = nullptr);

    bool done() const { return block_ >= plan_.size(); }
    int64_t total() const { return total_; }
    int64_t measured() const { return measured_; }
    // Requests the whole run sends (writes and reads) and writes among them, for an estimate
    // of how long it takes.
    int64_t requestsPlanned() const;
    int64_t writesPlanned() const;
    // Takes the next reading, writing its code first when the last write was another.
    void next();
    // Called within the settling waits, where it may end the run by throwing.
    void stopWith(Checkpoint checkpoint) { checkpoint_ = std::move(checkpoint); }

    // The readings so far, one entry per code in ascending codes.
    std::vector<CodeReadings> readings() const;
    const CharacteriseSettings& settings() const { return settings_; }

private:
    Checkpoint checkpoint_;
    struct Block {
        CodeBlock codes;
        std::array<std::size_t, 2> sumIndex;  // where each code's readings are summed
        std::array<int32_t, 2> dither;        // the spread each code may take, within 0 to 0xFFFF
    };
    int32_t codeOfReading(const Block& block, int slot, int64_t round) const;
    void write(int32_t code);

    int64_t readCount();

    Declare& requests_;
    CharacteriseSettings settings_;
    Meter* meter_;
    CommandComposer composer_;
    std::vector<Block> plan_;
    std::vector<CodeReadings> sums_;
    std::size_t block_ = 0;
    int64_t inBlock_ = 0;
    int64_t measured_ = 0;
    int64_t total_ = 0;
    std::optional<int32_t> written_;
};

// How long one request to this board takes, from a few ADC readings of the output.
std::chrono::duration<double> timePerRequest(Declare& requests, int output);

// How long one meter reading takes, from a few of them.
std::chrono::duration<double> timePerReading(Meter& meter);

// The run's estimated duration at that time per request, settling included; with a meter,
// each reading takes perReading instead.
std::chrono::duration<double> estimatedDuration(
    const Characterisation& run, std::chrono::duration<double> perRequest,
    std::optional<std::chrono::duration<double>> perReading = std::nullopt);
