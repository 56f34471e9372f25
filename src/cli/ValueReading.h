#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command/CommandTable.h"

// Reading what a user or a script gives on the command line. Every reading either gives a
// value within its range or throws BadInput with a message that says what was wrong; none
// depends on the locale.

struct BadInput : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Text typed by a user as it may be shown on a terminal: control characters and DEL as
// "\x1B", so an escape sequence in an argument is shown, not obeyed.
std::string printable(std::string_view text);

// A DAC channel for the Address Bits: A to D (either case), or "all" for "All DACs".
Channel readChannel(std::string_view text);

// An input of the ADC's multiplexer: A to H give 0 to 7.
int readInput(std::string_view text);
// One input as above, or "all" (either case) for every input, A to H in turn.
std::vector<int> readInputs(std::string_view text);

// Channels A to D as a list: "A,C", "AC", "all" or "none"; each channel at most once.
std::vector<Channel> readChannelList(std::string_view text);

// An unsigned number: 0x8000, 8000h (hexadecimal) or 32768 (decimal), at most max (said in
// the number's own notation when it is more).
uint32_t readNumber(std::string_view text, uint32_t max, std::string_view what);

// A duration in seconds: a decimal number from 0 up to max.
double readSeconds(std::string_view text, double max, std::string_view what);

// A fit range "LOW-HIGH" in percent of full scale ("10-90"); the range itself is checked with
// the other characterisation settings.
std::pair<double, double> readFitRange(std::string_view text);

// A reference voltage: a decimal number of volts above 0, with or without its unit.
double readReference(std::string_view text);

// A 16-bit DAC code, or a voltage with its unit ("1.5V") converted against the reference as
// the voltage field of the window converts it. A voltage must lie from 0 up to below the
// reference.
int32_t readDataValue(std::string_view text, std::string_view reference);

// The index of the option called text (either case) among options; what names the kind of
// option in the message.
int readOptionName(std::span<const OptionEntry> options, std::string_view text,
                   std::string_view what);

// A power-down mode by its name in the command table: normal, 1k, 100k or three-state.
PowerDownMode readPowerDownMode(std::string_view text);

// "normal, 1k, 100k or three-state": the command-line names of a panel's options.
std::string optionNames(std::span<const OptionEntry> options);
