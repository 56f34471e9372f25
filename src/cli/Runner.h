#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/Actions.h"

class LineReader;

// Running subcommands against the open board: one, or a batch of them.

// The exit status when the results could not be written.
inline constexpr int kOutputFailedStatus = 4;
// A streamed batch with --keep-going stops after this many bad lines in a row: input that is
// not a batch at all (a device, a binary file) ends instead of running for ever.
inline constexpr int kBadLinesInARow = 100;

// Runs one action. A refused request is reported on standard error and gives status 1,
// results that could not be written 4, a stop signal 128 plus the signal.
int runAction(Session& session, const Action& action);

struct BatchLine {
    int number;  // in the batch, from 1
    std::string subcommand;
    Action action;
};

// Every line of a batch: one subcommand with its options per line, "#" starting a comment,
// blank lines skipped. All are read and checked before anything is sent; a bad line throws
// BadInput naming its number. csv: the results form one table.
std::vector<BatchLine> readBatch(std::string_view text, bool csv);

// Runs the lines in order. The first failing one stops the run, named by its line number,
// unless keepGoing; a stop signal always does. The status is that of the last failure, or 0.
int runBatch(Session& session, const std::vector<BatchLine>& lines, bool keepGoing);

// Runs each line as it arrives, its results written before the next is read, so a script
// can drive the board line by line. A bad line fails as a refused one does (status 2).
int runStreamedBatch(Session& session, LineReader& input, bool keepGoing);
