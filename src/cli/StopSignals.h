#pragma once

#include <chrono>

// Ctrl-C (SIGINT) and kill (SIGTERM) end a run after the point it is on: its rows stay whole,
// nothing more is sent and the board is left as it is. The status is then the shell's
// convention, 128 plus the signal (130, 143).

// Thrown where a run notices the signal.
struct Stopped {
    int signal;
};

// From here on SIGINT and SIGTERM are caught instead of ending the process at once.
void catchStopSignals();

// The stop signal caught, or 0.
int stopSignal();

// The exit status of a run a stop signal ended: 128 plus the signal.
constexpr int stoppedStatus(int signal) {
    return 128 + signal;
}

// Readable once a stop signal has come (and from then on), for a wait that polls other files
// too; -1 before catchStopSignals.
int stopWakeFd();

// Throws Stopped once a stop signal has come.
void stopIfAsked();

// Waits until when, or less when a stop signal comes first.
void sleepUntil(std::chrono::steady_clock::time_point when);

// Waits until fd has something to read (or has ended); false when a stop signal came first.
bool waitForInput(int fd);
