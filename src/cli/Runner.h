#pragma once

#include <istream>
#include <vector>

#include "cli/Actions.h"

// Running subcommands against the open board: one, or a batch of them.

// Runs one action; a refused request is reported on standard error and gives status 1.
int runAction(Session& session, const Action& action);

struct BatchLine {
    int number;  // in the file, from 1
    Action action;
};

// Every line of a batch: one subcommand with its options per line, "#" starting a comment,
// blank lines skipped. All are read and checked before anything is sent; a bad line throws
// BadInput naming its number.
std::vector<BatchLine> readBatch(std::istream& in);

// Runs the lines in order. The first failing one stops the run, named by its line number,
// unless keepGoing; the status is that of the last failure, or 0.
int runBatch(Session& session, const std::vector<BatchLine>& lines, bool keepGoing);
