#pragma once

#include <functional>
#include <string>

#include "scpi/ScpiStatus.h"

// Thrown by a client's checkpoint: the client has gone or the server is stopping, so the
// operation in hand ends where it is, between two requests to the board.
struct Cancelled {};

// One client of the instrument: what it is called (its address), its own error queue and
// status registers, and its answer format.
struct ScpiClient {
    std::string name;
    ScpiStatus status;
    bool binary = false;  // FORMat INTeger: sweeps answer a definite-length block
    // Called between a long operation's points and within its waits; throws Cancelled.
    std::function<void()> checkpoint = [] {};
};
