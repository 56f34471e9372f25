#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "measure/SelfTestSequence.h"
#include "measure/Sweep.h"

// The rows in which read-backs and sweeps are written out, by the command line and the plot
// window alike, so a spreadsheet or a script reads both the same way. Numbers never depend on
// the locale.

// Every column a number, so numpy and pandas read each as one: times in seconds (since the
// run's start, and since the Unix epoch), inputs and outputs numbered from 1 (A), the phase of
// the self-test numbered from 1, a verdict 1 for pass and 0 for fail; what each number stands
// for is in the provenance lines above the header.
inline constexpr const char* kSampleColumns = "time_s,unix_time_s,input,count,volts";
inline constexpr const char* kSelfTestColumns = "phase,output,count,volts,low,high,pass";
inline constexpr const char* kSweepColumns =
    "code,ideal_volts,count,measured_volts,difference_counts";

// Fixed-point text with the given number of decimals and a '.' whatever the locale.
std::string fixed(double value, int decimals);

// "2026-12-07T01:54:15.123Z"
std::string utcTimestamp(std::chrono::system_clock::time_point time);

// "0x8000": a DAC code as the fields show it, four hexadecimal digits.
std::string codeText(int32_t code);

// "A" to "H" for inputs 0 to 7.
std::string inputName(int input);

// A sample's row. For a file: the seconds from start to time and since the Unix epoch, to the
// millisecond, the input (1 = A), count, volts. For people (text): the UTC time and the
// input's letter in place of the numbers.
std::vector<std::string> sampleFields(std::chrono::system_clock::time_point time,
                                      std::chrono::system_clock::time_point start, int input,
                                      int32_t count, double volts, bool text = false);
// A meter's sample: no count (nan), the volts to the microvolt.
std::vector<std::string> meterSampleFields(std::chrono::system_clock::time_point time,
                                           std::chrono::system_clock::time_point start, int input,
                                           double volts, bool text = false);
// A self-test reading's row: phase (1 = the first), output (1 = A), count, volts, the pass
// window, 1 for pass and 0 for fail. For people: the phase's name, the output's letter and
// "pass" or "fail".
std::vector<std::string> selfTestFields(const SelfTestReading& reading, bool text = false);

// code (decimal), ideal volts, count, measured volts, difference in counts
std::vector<std::string> sweepFields(const SweepPoint& point);

// "offset 0.00 counts, gain error 0.000 %, largest difference 0 counts"
std::string summaryText(const SweepSummary& summary);

// The fields joined by separator.
std::string joined(const std::vector<std::string>& fields, const char* separator);
