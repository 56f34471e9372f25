#pragma once

#include "ui/monitor/PeriodicTimer.h"

// A periodic timer that ticks only when the test says so.
class FakePeriodicTimer : public PeriodicTimer {
public:
    explicit FakePeriodicTimer(int intervalMs) : interval_(intervalMs) {}
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }
    int intervalMs() const override { return interval_; }
    void restart() override { restarts += enabled_ ? 1 : 0; }

    int restarts = 0;

    // One interval has passed.
    void tick() {
        if (enabled_) fire();
    }

private:
    int interval_;
    bool enabled_ = false;
};
