#pragma once

#include <functional>
#include <stdexcept>
#include <utility>

// A timer that calls its tick handler once per interval while enabled, the first time one
// interval after it is enabled. The monitor's auto sampling runs on one; tests drive a fake one
// tick by tick.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // While enabled: the next tick comes one whole interval from now.
    virtual void restart() = 0;
    virtual int intervalMs() const = 0;

    // handler runs at each tick. A timer serves the one owner it was given to: a second
    // handler is refused (throws std::logic_error) rather than silently replacing the first.
    void setTickHandler(std::function<void()> handler) {
        if (handler_) throw std::logic_error("the timer already has its tick handler");
        handler_ = std::move(handler);
    }

protected:
    void fire() const {
        if (handler_) handler_();
    }

private:
    std::function<void()> handler_;
};
