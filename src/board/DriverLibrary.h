#pragma once

#include <cstdint>
#include <string>

#include "board/BoardRequest.h"
#include "board/FirmwarePathBytes.h"

// What the program asks of a deliverable's driver library: one attempt at opening the board
// with its firmware, and one board request. Each variant maps these onto its own functions.
class DriverLibrary {
public:
    virtual ~DriverLibrary() = default;
    // One attempt; true when the board is open with the firmware named by path loaded.
    // path fits pathBytes (the caller checked).
    virtual bool attemptOpen(const std::string& path, FirmwarePathBytes& pathBytes) = 0;
    // The library's result: 0 for success.
    virtual int16_t request(const BoardRequest& request) = 0;
};
