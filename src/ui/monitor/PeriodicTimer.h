#pragma once

#include <functional>

// A timer that calls onTick once per interval while enabled, the first time one interval after
// it is enabled. The monitor's auto sampling runs on one; tests drive a fake one tick by tick.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // While enabled: the next tick comes one whole interval from now.
    virtual void restart() = 0;
    virtual int intervalMs() const = 0;

    std::function<void()> onTick;
};
