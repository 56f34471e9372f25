#pragma once

#include <QObject>

class CaptionFrame;
class Declare;
class QCheckBox;
class QLabel;
class QWidget;

// The LDAC and CLR pin controls: a checked box drives its pin low, a cleared one high, and the
// label beside it says which. Their frame lies beyond the right edge of the DAC frame, out of
// sight, but the boxes keep their place in the keyboard order: Tab reaches them and the space
// bar toggles them.
class HardwarePins : public QObject {
    Q_OBJECT
public:
    HardwarePins(QWidget* dacFrame, Declare& requests);

    void LDACCheck_Click();
    void CLRCheck_Click();

    CaptionFrame* hardwarePinsFrame() const { return frame_; }
    QCheckBox* LDACCheck() const { return ldacCheck_; }
    QCheckBox* CLRCheck() const { return clrCheck_; }
    QLabel* LDACStateLabel() const { return ldacStateLabel_; }
    QLabel* CLRStateLabel() const { return clrStateLabel_; }

private:
    // Shows the level first, then returns it: true (high) unless the box is checked.
    static bool showLevel(const QCheckBox* box, QLabel* label);

    Declare& requests_;
    CaptionFrame* frame_;
    QCheckBox* ldacCheck_;
    QLabel* ldacStateLabel_;
    QCheckBox* clrCheck_;
    QLabel* clrStateLabel_;
};
