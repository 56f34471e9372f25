#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "measure/Sweep.h"

// The rows in which read-backs and sweeps are written out, by the command line and the plot
// window alike, so a spreadsheet or a script reads both the same way. Numbers never depend on
// the locale.

inline constexpr const char* kSampleColumns = "time,input,count,volts";
inline constexpr const char* kSelfTestColumns = "phase,output,count,volts,low,high,result";
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

// time, input, count, volts
std::vector<std::string> sampleFields(std::chrono::system_clock::time_point time, int input,
                                      int32_t count, double volts);
// A meter's sample: no count, the volts to the microvolt.
std::vector<std::string> meterSampleFields(std::chrono::system_clock::time_point time, int input,
                                           double volts);

// code (decimal), ideal volts, count, measured volts, difference in counts
std::vector<std::string> sweepFields(const SweepPoint& point);

// "offset 0.00 counts, gain error 0.000 %, largest difference 0 counts"
std::string summaryText(const SweepSummary& summary);

// The fields joined by separator.
std::string joined(const std::vector<std::string>& fields, const char* separator);
