#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "board/Declare.h"
#include "measure/Characterisation.h"
#include "measure/Linearity.h"
#include "measure/LinearityReport.h"
#include "ui/plot/MeterField.h"
#include "ui/plot/SlicedRun.h"

class AdcMonitor;
class ChartView;
class Dialogs;
class QAreaSeries;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QScatterSeries;
class QTableWidget;

// The static linearity of one output on the command line's characterisation: INL and DNL
// against code, and every figure with its uncertainty in a table beside them. It runs in
// slices between the window's events, as the sweep does.
class LinearityPage : public QWidget {
    Q_OBJECT
public:
    // provenance: the deliverable and package the results are saved with; the time is the
    // run's.
    LinearityPage(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs, Provenance provenance,
                  QWidget* parent);

    void Start_Click();
    void Cancel_Click();
    bool running() const { return run_.running(); }

    const std::optional<LinearityResult>& result() const { return result_; }
    // The per-code table as CSV with the command line's columns; the figures as the command
    // line's JSON object. Nothing before a run has given figures.
    std::optional<std::string> csv(Provenance provenance) const;
    std::optional<std::string> json() const;

    QComboBox* inputChoice() const { return input_; }
    QComboBox* planChoice() const { return plan_; }
    QLineEdit* strideText() const { return stride_; }
    QLineEdit* windowFromText() const { return windowFrom_; }
    QLineEdit* windowToText() const { return windowTo_; }
    QLineEdit* samplesText() const { return samples_; }
    QLineEdit* ditherText() const { return dither_; }
    QComboBox* lineChoice() const { return line_; }
    QLineEdit* fitFromText() const { return fitFrom_; }
    QLineEdit* fitToText() const { return fitTo_; }
    QLineEdit* referenceText() const { return reference_; }
    // The board ADC's offset, gain error, INL, DNL and reference tolerance.
    QLineEdit* adcText(std::size_t limit) const { return adc_.at(limit); }
    // Data-sheet limits as the command line takes them: "inl-lsb=4 dnl-lsb=1".
    QLineEdit* limitsText() const { return limits_; }
    // A SCPI meter's VISA resource: it reads the output instead of the board's ADC.
    QLineEdit* meterText() const { return meter_->text(); }
    // Shows the meter's identity.
    QPushButton* meterTestButton() const { return meter_->testButton(); }
    // A calibration file from adc-check --save: it corrects the board ADC's readings.
    QLineEdit* calibrationText() const { return calibration_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* estimate() const { return estimate_; }
    QTableWidget* summary() const { return summary_; }
    QLabel* warnings() const { return warnings_; }
    ChartView* inlView() const { return inlView_; }
    ChartView* dnlView() const { return dnlView_; }
    // The INL's and DNL's expanded uncertainty (U = 2u) about them, as bands.
    QAreaSeries* inlBand() const { return bands_[0]; }
    QAreaSeries* dnlBand() const { return bands_[1]; }
    // Both plots, as the picture is saved.
    QWidget* plots() const { return plots_; }

private:
    // The settings from the fields, or nothing after telling the user what is wrong.
    std::optional<CharacteriseSettings> settingsFromFields();
    void step();
    void analyse();
    void clearPlots();
    void draw();
    // The limit lines of the settings' INL and DNL limits; the INL's and DNL's low and high
    // widened to show them.
    void drawLimits(std::array<double, 2>& low, std::array<double, 2>& high);
    void showSummary();
    void finish();
    // The calibration of the field, read and checked for this board and input, into the
    // settings; false after telling why it cannot be used.
    bool calibrationOfField(CharacteriseSettings& settings);

    Declare& requests_;
    Dialogs& dialogs_;
    Provenance provenance_;
    std::unique_ptr<Characterisation> characterisation_;
    std::optional<LinearityResult> result_;
    QComboBox* input_;
    QComboBox* plan_;
    QLineEdit* stride_;
    QLineEdit* windowFrom_;
    QLineEdit* windowTo_;
    QLineEdit* samples_;
    QLineEdit* dither_;
    QComboBox* line_;
    QLineEdit* fitFrom_;
    QLineEdit* fitTo_;
    QLineEdit* reference_;
    std::array<QLineEdit*, 5> adc_{};
    QLineEdit* limits_;
    MeterField* meter_;
    QLineEdit* calibration_;
    std::optional<Meter> openMeter_;  // the run's
    std::string meterFailure_;        // why the run's meter stopped it
    QPushButton* start_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* estimate_;
    QTableWidget* summary_;
    QLabel* warnings_;
    QWidget* plots_;
    ChartView* inlView_;
    ChartView* dnlView_;
    QLineSeries* inl_;
    QScatterSeries* dnl_;
    std::array<QAreaSeries*, 2> bands_{};  // INL, DNL
    // +/- the INL and DNL limits, when given: INL above and below, then DNL.
    std::array<QLineSeries*, 4> limitLines_{};
    SlicedRun run_;  // last: it ends a running characterisation before it goes
};
