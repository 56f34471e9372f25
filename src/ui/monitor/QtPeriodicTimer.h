#pragma once

#include <QTimer>

#include "ui/monitor/PeriodicTimer.h"

// The periodic timer on Qt's event loop, so its ticks arrive on the user-interface thread.
class QtPeriodicTimer : public PeriodicTimer {
public:
    explicit QtPeriodicTimer(int intervalMs);

    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return timer_.isActive(); }
    void restart() override;
    int intervalMs() const override { return timer_.interval(); }

private:
    QTimer timer_;
};
