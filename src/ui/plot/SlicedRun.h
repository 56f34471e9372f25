#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

#include "board/Declare.h"

class AdcMonitor;

// A measurement run in short slices between the window's events, so the window stays
// responsive on a real board, where every reading is a USB transfer. While it runs it has the
// ADC to itself (auto sampling waits) and the board's refusals are kept as text instead of a
// box each: the first one stops the run, and its page shows one message.
class SlicedRun : public QObject {
    Q_OBJECT
public:
    struct Steps {
        std::function<bool()> done;
        std::function<void()> step;      // one reading or point
        std::function<void()> sliceEnd;  // after each slice: progress
        std::function<void()> redraw;    // now and then while it runs, and at its end
        std::function<void()> finished;  // once, however it ends
    };

    SlicedRun(Declare& requests, AdcMonitor& monitor, QObject* parent);
    // Closing the window in the middle of a run ends it: the board and the monitor are given
    // back.
    ~SlicedRun() override;

    void start(Steps steps);
    // Ends the run as if it were done.
    void cancel();
    bool running() const { return slices_.isActive(); }
    // "request 0xDE (...) failed with result -1" once the board refused a request of the run.
    std::optional<std::string> refusal() const;

private:
    void runSlice();
    void stop();
    void finish();

    Declare& requests_;
    QPointer<AdcMonitor> monitor_;  // it may go first when the main window closes
    Steps steps_;
    std::optional<FirstRefusalText> refusal_;
    std::optional<Declare::PolicyScope> refusalScope_;
    QTimer slices_;
    QElapsedTimer sinceDrawn_;
};
