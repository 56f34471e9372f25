#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "board/Deliverable.h"
#include "board/Package.h"
#include "measure/AdcCheck.h"
#include "measure/Characterisation.h"
#include "measure/SelfTestSequence.h"
#include "measure/Sweep.h"

// Where a result came from, so a saved one can be traced to its run: written as "#" lines
// before every CSV table and as an object in every JSON result.

// A setting of the run by its name in the files: "dac_reference_v", "3.000000".
using Setting = std::pair<std::string, std::string>;

struct Provenance {
    std::string software;  // the deliverable's name
    std::string version;
    std::string variant;  // "A" or "B"
    std::string package;  // "tssop" or "lfcsp"
    std::string board;    // "virtual board", "board serial 0042 at 1-1.4"; empty: not told
    std::chrono::system_clock::time_point time;
    std::vector<Setting> settings;  // the channel, every setting, the reference voltages
    std::string partial;            // how a run stopped early ends; empty: it ran to its end
    std::string meter;  // the meter's identity (*IDN?); empty: the board's ADC read the output
};

// The provenance of a run of this deliverable on a board with this package, now.
Provenance provenanceOf(const Deliverable& deliverable, Package package, std::string board);

// The settings of a sampled input, a sweep and a characterisation, as the files name them.
// start: the time the samples' first column counts from.
std::vector<Setting> sampleSettingsOf(const std::vector<int>& inputs, double reference,
                                      double intervalSeconds,
                                      std::chrono::system_clock::time_point start);
// What the samples' numbered input and first time column stand for.
std::vector<Setting> sampleColumnSettings(std::chrono::system_clock::time_point start);
std::vector<Setting> settingsOf(const SweepSettings& settings);
std::vector<Setting> settingsOf(const CharacteriseSettings& settings);
std::vector<Setting> settingsOf(const AdcCheckSettings& settings);
// What the self-test's numbered columns stand for.
std::vector<Setting> selfTestSettings();
// The settings with the calibration in use, if any, after them.
std::vector<Setting> withCalibration(std::vector<Setting> settings,
                                     const std::optional<AdcCalibration>& calibration);

// The provenance as CSV comment lines, each "# name: value" and ending in a line end, which
// spreadsheets, numpy and pandas skip as comments.
std::string provenanceComment(const Provenance& provenance);

// The provenance as one JSON object (software, version, variant, package, board, time_utc,
// meter), as text to put into a result's JSON.
std::string provenanceJson(const Provenance& provenance);
