#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The board ADC's calibration against an external meter: where each of its counts begins, as a
// check measured it on one board, input and reference, so that later readings of that ADC are
// corrected to the meter's scale; and what is left uncertain after the correction, as the
// accuracy terms that replace the ADC's stated ones. Kept as a JSON file with its provenance.

struct AdcCalibration {
    std::string board;  // "virtual board", "board serial 0042" (the place on the bus left out)
    int input = 0;      // the multiplexer input it was checked through, 0 = A
    double adcReference = 3.0;
    int32_t firstCount = 0;
    std::vector<double> transitions;  // the input at which each count from firstCount begins
    double offsetCounts = 0;          // the line beyond the transitions: count = gain x + offset
    double gainErrorPercent = 0;
    // What the correction leaves, each a limit as the ADC's stated terms are (the gain's
    // includes the reference's, which the meter measured).
    double offsetLimit = 0;
    double gainLimit = 0;
    double inlLimit = 0;
    double dnlLimit = 0;
};

// The largest calibration file read: a full table of 4096 counts is about 100 kB.
inline constexpr std::size_t kLargestCalibrationFile = 1 << 20;

// The board as a calibration names it: its description without its place on the bus.
std::string calibrationBoardName(const std::string& boardDescription);

// The input in counts of the told reference that a count (or a mean of counts) stands for: the
// middle of the counts' measured widths, between them along the line joining those middles,
// and beyond the table along the calibration's line.
double correctedCount(const AdcCalibration& calibration, double count);

// The calibration as one JSON object; provenance is the JSON object of the run it came from.
std::string calibrationJson(const AdcCalibration& calibration, const std::string& provenance);

// The calibration in the file, or nothing with problem set: a file that cannot be read, is too
// large or is no calibration.
std::optional<AdcCalibration> readCalibration(const std::string& path, std::string& problem);

// Why a calibration cannot go with a run: it corrects the board's ADC, which a run read by a
// meter does not use; nothing when it can.
std::optional<std::string> calibrationUseProblem(bool calibrated, bool withMeter);

// Why the calibration does not fit a run on this board (its description), input and
// reference; nothing when it does.
std::optional<std::string> calibrationMismatch(const AdcCalibration& calibration,
                                               const std::string& board, int input,
                                               double adcReference);
