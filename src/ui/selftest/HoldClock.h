#pragma once

#include <chrono>

// Times the self-test's hold of its verdict: a monotonic clock, so the hold lasts the same at
// any time of day, and a short sleep between readings instead of spinning a core.
class HoldClock {
public:
    virtual ~HoldClock() = default;
    virtual std::chrono::steady_clock::time_point now() const = 0;
    virtual void sleepFor(std::chrono::milliseconds step) = 0;
};

class SteadyHoldClock : public HoldClock {
public:
    std::chrono::steady_clock::time_point now() const override;
    void sleepFor(std::chrono::milliseconds step) override;
};

// Returns once more than duration has passed on clock, without running any window events.
void holdFor(HoldClock& clock, std::chrono::milliseconds duration);
