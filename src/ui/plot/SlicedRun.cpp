#include "ui/plot/SlicedRun.h"

#include "ui/monitor/AdcMonitor.h"

namespace {

// Each slice measures for this long, then lets the window handle its events; the plots are
// drawn anew at most this often while a run goes on (a chart works out its whole line again
// at every change).
constexpr qint64 kSliceMs = 15;
constexpr qint64 kDrawEveryMs = 200;

}  // namespace

SlicedRun::SlicedRun(Declare& requests, AdcMonitor& monitor, QObject* parent)
    : QObject(parent), requests_(requests), monitor_(&monitor) {
    slices_.setInterval(0);
    connect(&slices_, &QTimer::timeout, this, &SlicedRun::runSlice);
}

SlicedRun::~SlicedRun() {
    if (running()) stop();
}

std::optional<std::string> SlicedRun::refusal() const {
    return refusal_ ? refusal_->text() : std::nullopt;
}

void SlicedRun::start(Steps steps) {
    if (running()) return;
    steps_ = std::move(steps);
    monitor_->holdAutoSampling(true);
    refusal_.emplace();
    refusalScope_.emplace(requests_, *refusal_);
    sinceDrawn_.start();
    slices_.start();
}

void SlicedRun::cancel() {
    if (running()) finish();
}

void SlicedRun::runSlice() {
    QElapsedTimer slice;
    slice.start();
    while (!steps_.done() && !refusal() && slice.elapsed() < kSliceMs)
        steps_.step();
    steps_.sliceEnd();
    if (refusal() || steps_.done()) return finish();
    if (sinceDrawn_.elapsed() < kDrawEveryMs) return;
    steps_.redraw();
    sinceDrawn_.restart();
}

void SlicedRun::stop() {
    slices_.stop();
    refusalScope_.reset();
    if (monitor_) monitor_->holdAutoSampling(false);
}

void SlicedRun::finish() {
    stop();
    steps_.redraw();
    steps_.finished();
}
