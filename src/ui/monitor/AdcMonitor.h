#pragma once

#include <QObject>

#include <array>
#include <memory>

class CaptionFrame;
class Declare;
class Dialogs;
class PeriodicTimer;
class QCheckBox;
class QLCDNumber;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The ADC read-back monitor in the main window's "ADC" frame: pick a DAC output on the board's
// multiplexer, sample it once or once a second, and read it in volts.
class AdcMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int kSampleIntervalMs = 1000;

    AdcMonitor(QWidget* frame, Declare& requests, Dialogs& dialogs);
    ~AdcMonitor() override;

    void Option_MUX_Click(int index);
    void sampleCommand_Click();
    void sampleTimer_Timer();
    void autoSampleCheck_Click();
    void adcVddText_LostFocus();

    // While held (a sweep is using the ADC), auto sampling takes no samples; released, it goes
    // on as its box says.
    void holdAutoSampling(bool held);

    // Replaces the sample timer (tests tick a fake one); auto sampling must be off.
    void setSampleTimer(std::unique_ptr<PeriodicTimer> timer);
    PeriodicTimer& sampleTimer() const { return *sampleTimer_; }

    QLCDNumber* ADCDisplay() const { return adcDisplay_; }
    QPushButton* sampleCommand() const { return sampleCommand_; }
    QCheckBox* autoSampleCheck() const { return autoSampleCheck_; }
    QLineEdit* adcVddText() const { return adcVddText_; }
    QRadioButton* Option_MUX(int index) const { return optionMux_[index]; }

signals:
    // Every sample taken, with the input the ADC measured (the one last selected, by anybody).
    void sampled(int input, int count, double volts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Leaving the reference field by a click samples once that click has done its work, so a
    // failing sample's message cannot swallow it.
    void sampleAfterTheClick();

    Declare& requests_;
    Dialogs& dialogs_;
    std::unique_ptr<PeriodicTimer> sampleTimer_;
    QLCDNumber* adcDisplay_;
    QPushButton* sampleCommand_;
    QCheckBox* autoSampleCheck_;
    QLineEdit* adcVddText_;
    CaptionFrame* frame3_;
    std::array<QRadioButton*, 8> optionMux_{};
    bool waitingForRelease_ = false;
    bool held_ = false;
};
