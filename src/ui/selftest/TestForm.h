#pragma once

#include <QWidget>

#include <memory>

class Board;
class HoldClock;
class QLabel;
class QPushButton;

// The board self-test window: "Test" opens the board afresh, measures all four outputs at
// full and mid scale, and shows "PASS" in green or "FAIL" in red for two seconds.
class TestForm : public QWidget {
    Q_OBJECT
public:
    // parent: the main window, which it lives no longer than; it is a window of its own.
    TestForm(Board& board, QWidget* parent);
    ~TestForm() override;

    void Command1_Click();

    // Replaces the clock that times the verdict's hold (tests advance a fake one).
    void setHoldClock(std::unique_ptr<HoldClock> clock);

    QPushButton* Command1() const { return command1_; }
    QLabel* Label1() const { return label1_; }

private:
    void showVerdict(bool pass);

    Board& board_;
    std::unique_ptr<HoldClock> clock_;
    QPushButton* command1_;
    QLabel* label1_;
};
