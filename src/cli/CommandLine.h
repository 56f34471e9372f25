#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/Actions.h"
#include "cli/Session.h"

// What a command line asks for: the options every run shares and one subcommand, or a batch
// of subcommands from a file.
struct Invocation {
    Session::Options options;
    Action action;  // empty for a batch
    bool batch = false;
    std::string batchFile;  // empty: standard input
    bool keepGoing = false;
    bool list = false;                        // the board list: nothing is opened
    std::optional<std::string> serveAddress;  // serve: the SCPI server on this address
    bool vxi11 = true;                        // serve: VXI-11 beside the SCPI socket
};

// The outcome of parsing: an invocation, or the exit status when there is nothing to run
// (help or the version printed: 0; bad input, already reported on standard error: 2).
struct Parsed {
    std::optional<Invocation> invocation;
    int status = 0;
};

Parsed parseCommandLine(const std::vector<std::string>& args);

struct Subcommand {
    std::string name;
    Action action;
};

// One line of a batch: a subcommand with its own options, read as on the command line (csv:
// its rows go into the batch's one table). Throws BadInput with what is wrong.
Subcommand parseBatchLine(const std::vector<std::string>& line, bool csv);

// For the shell's completion: the options and subcommands that may follow the words typed so
// far, one per line.
void printCompletions(const std::vector<std::string>& words);
