#pragma once

#include <QWidget>

#include <memory>

class Board;
class Dialogs;
class HoldClock;
class QLabel;
class QPushButton;

// The board self-test window: "Test" opens the board afresh, measures all four outputs at
// full and mid scale, and shows "PASS" in green or "FAIL" in red for two seconds.
class TestForm : public QWidget {
    Q_OBJECT
public:
    // parent: the main window, which it lives no longer than; it is a window of its own.
    // dialogs: where the run's one "error" box goes when the board refuses a request.
    TestForm(Board& board, Dialogs& dialogs, QWidget* parent);
    ~TestForm() override;

    void Command1_Click();

    // Replaces the clock that times the verdict's hold (tests advance a fake one).
    void setHoldClock(std::unique_ptr<HoldClock> clock);

    QPushButton* Command1() const { return command1_; }
    QLabel* Label1() const { return label1_; }

private:
    // The self-test's run on the open board: true on PASS.
    bool measure();
    void showVerdict(bool pass);

    Board& board_;
    Dialogs& dialogs_;
    std::unique_ptr<HoldClock> clock_;
    QPushButton* command1_;
    QLabel* label1_;
};
