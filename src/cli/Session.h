#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include "board/Board.h"
#include "board/BoardChoice.h"
#include "board/Package.h"
#include "cli/ConsoleDialogs.h"
#include "cli/Output.h"

// A request the board refused: which one, and what the library said.
struct RequestFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The command line shows no box: a refused request ends the subcommand that sent it, with the
// request and the library's result as text.
class StopAtRefusal : public FailurePolicy {
public:
    void refused(const BoardRequest& request, int16_t result) override;
};

// What every run of the tool shares: the board, opened once with its firmware, the package's
// bus address, and how results are printed.
class Session {
public:
    struct Options {
        const Deliverable* deliverable = &kXT4830;
        Package package = Package::Tssop;
        std::chrono::duration<double> wait{0};  // how long to keep trying to open the board
        bool csv = false;
        std::string board;  // the place of the board to open; empty: the first
    };

    Session(const std::string& programDir, const Options& options);

    // Opens the board, firmware load included, trying again until the wait is over; false
    // when no board answered, problem() then saying why where the library tells.
    bool open();
    const std::string& problem() const { return problem_; }
    BoardChoice& choice() { return board_.choice(); }
    // Which kind of board the library drives, as it told when the session began.
    BoardKind kind() const { return kind_; }

    Declare& requests() { return board_.requests(); }
    bool csv() const { return options_.csv; }
    const Options& options() const { return options_; }
    // Standard output, where the results go.
    Output& output() { return output_; }

private:
    Options options_;
    ConsoleDialogs dialogs_;
    StopAtRefusal refusals_;
    Board board_;
    Output output_;
    BoardKind kind_;
    std::string problem_;
};

// Says on standard error why no board could be opened (the library's reason, such as a board
// in use by another program, where it gives one), and what to do about it.
void reportNoBoard(const Session& session);
// On real boards: how to try the virtual board instead, on standard error.
void offerVirtualBoard(const Session& session);
