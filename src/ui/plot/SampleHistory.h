#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

#include "measure/Provenance.h"

// The read-back samples of the last ten minutes, oldest first, as the strip chart shows them.
class SampleHistory {
public:
    using Clock = std::chrono::system_clock;
    static constexpr std::chrono::minutes kSpan{10};

    struct Sample {
        Clock::time_point time;
        int input;  // 0 = A ... 7 = H
        int32_t count;
        double volts;
    };

    // Adds a sample and forgets those more than the span older than it; how many it forgot
    // from the front.
    std::size_t add(const Sample& sample);
    void clear() { samples_.clear(); }
    const std::deque<Sample>& samples() const { return samples_; }

    // The samples as CSV, with the command line's columns, a header line and the provenance
    // before it.
    std::string csv(Provenance provenance) const;

private:
    std::deque<Sample> samples_;
};
