#include "ui/selftest/HoldClock.h"

#include <thread>

std::chrono::steady_clock::time_point SteadyHoldClock::now() const {
    return std::chrono::steady_clock::now();
}

void SteadyHoldClock::sleepFor(std::chrono::milliseconds step) {
    std::this_thread::sleep_for(step);
}

void holdFor(HoldClock& clock, std::chrono::milliseconds duration) {
    const auto end = clock.now() + duration;
    while (clock.now() <= end)
        clock.sleepFor(std::chrono::milliseconds(10));
}
