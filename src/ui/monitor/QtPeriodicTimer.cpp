#include "ui/monitor/QtPeriodicTimer.h"

QtPeriodicTimer::QtPeriodicTimer(int intervalMs) {
    timer_.setInterval(intervalMs);
    // A precise timer keeps the period close to the interval over many ticks.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
}

void QtPeriodicTimer::setEnabled(bool enabled) {
    if (enabled == timer_.isActive()) return;
    if (enabled) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void QtPeriodicTimer::restart() {
    if (timer_.isActive()) timer_.start();
}
