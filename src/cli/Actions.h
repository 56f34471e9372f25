#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "command/CommandTable.h"
#include "measure/AdcCheck.h"
#include "measure/Characterisation.h"
#include "measure/Sweep.h"

class Session;

// One subcommand, its input already read and checked: it runs against the open board and
// returns the exit status (a refused request throws RequestFailed instead).
using Action = std::function<int(Session&)>;

// The commands composed on the command panels' model, exactly as the window composes them.
Action writeCode(Command command, Channel channel, int32_t code);
Action updateChannel(Channel channel);
Action powerDown(const std::vector<Channel>& channels, PowerDownMode mode);
Action resetRegisters(ResetChoice choice);
Action ldacMask(const std::vector<Channel>& channels);
Action internalReference(ReferenceChoice choice);
// A raw command word, sent as it is.
Action rawWord(uint32_t word);

Action setPin(bool ldac, bool high);

struct SampleSettings {
    std::vector<int> inputs{0};  // 0 to 7 for A to H, each read in turn
    double reference = 3;
    int64_t count = 1;  // 0: until stopped
    std::chrono::duration<double> interval{1};
    std::string file;                           // the rows appended there; empty: standard output
    std::optional<MeterSettings> meter;         // reads the output instead of the board's ADC
    std::optional<AdcCalibration> calibration;  // corrects the board ADC's volts
};

// count samples of the inputs, interval apart from the first: one row for each input with the
// time, input, count and volts (with a meter: one row of its volts, no count).
Action sampleInput(const SampleSettings& settings);

// The window's self-test with every reading beside its window; 0 on PASS, 1 on FAIL.
Action selfTest();

// With a meter, its volts instead of the board ADC's; with a calibration, the ADC's corrected.
Action sweep(const SweepSettings& settings, const std::optional<MeterSettings>& meter,
             const std::optional<AdcCalibration>& calibration);

// A calibration made on another board, input or reference: says so on standard error and
// gives the status 2 of a bad input; nothing when it fits (or there is none).
std::optional<int> calibrationRefused(Session& session,
                                      const std::optional<AdcCalibration>& calibration, int input,
                                      double adcReference);

// Every board on the bus, one row each (place, loader or running, serial), without opening
// one; 3 when there is none or the driver library cannot list them.
int listBoards(Session& session);

// The output's static figures with their uncertainties: a summary, one JSON object (json) or,
// with --csv, the table of every measured code. 0 when figures were found, 1 when the readings
// give none or the meter fails (the figures of the readings so far are given); with limits the
// overall verdict's status (0, 5 or 6).
Action characterise(const CharacteriseSettings& settings, bool json);

// The board ADC's figures against the meter, each with whether the ADC's terms cover it;
// with a file, its calibration saved there. 0 when figures were found, 1 when the readings
// give none, the meter fails or the file cannot be written.
Action adcCheck(const AdcCheckSettings& settings, const std::string& saveFile);
