#pragma once

#include <array>
#include <deque>
#include <vector>

#include "board/Declare.h"
#include "board/FailurePolicy.h"

// Records every request; reads answer scripted counts, then 0.
class RecordingDriver : public DriverLibrary {
public:
    using Sent = std::array<int, 5>;  // code, value, index, direction, length
    std::vector<Sent> sent;
    std::deque<int> counts;
    int16_t result = 0;

    bool attemptOpen(const std::string&, FirmwarePathBytes&) override { return true; }
    int16_t request(const BoardRequest& r) override {
        sent.push_back({r.code, r.value, r.index, r.direction, r.length});
        if (r.direction == 1 && !counts.empty()) {
            r.buffer[0] = static_cast<uint8_t>(counts.front() >> 8);
            r.buffer[1] = static_cast<uint8_t>(counts.front() & 0xFF);
            counts.pop_front();
        }
        return result;
    }
};

struct Rig {
    RecordingDriver driver;
    FirstRefusalText refusal;
    Declare declare{driver, refusal};
};
