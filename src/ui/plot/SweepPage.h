#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/Declare.h"
#include "measure/Provenance.h"
#include "measure/Sweep.h"
#include "ui/plot/MeterField.h"
#include "ui/plot/SlicedRun.h"

class AdcMonitor;
class ChartView;
class Dialogs;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;

// A code sweep of one output drawn against the ideal line, and beside it its error at each
// code (measured minus ideal, in ADC counts), on the same sweep as the command line's, run in
// slices between the window's events.
class SweepPage : public QWidget {
    Q_OBJECT
public:
    SweepPage(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs, QWidget* parent);

    void Start_Click();
    void Cancel_Click();
    bool running() const { return run_.running(); }

    const std::vector<SweepPoint>& points() const { return points_; }
    // The points as CSV, with the command line's columns, a header line and the provenance
    // with the sweep's settings before it.
    std::string csv(Provenance provenance) const;

    QComboBox* inputChoice() const { return input_; }
    QLineEdit* fromText() const { return from_; }
    QLineEdit* toText() const { return to_; }
    QLineEdit* stepText() const { return step_; }
    QLineEdit* referenceText() const { return reference_; }
    // A SCPI meter's VISA resource: it reads the output instead of the board's ADC.
    QLineEdit* meterText() const { return meter_->text(); }
    // Shows the meter's identity.
    QPushButton* meterTestButton() const { return meter_->testButton(); }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* summary() const { return summary_; }
    ChartView* chartView() const { return view_; }
    ChartView* errorView() const { return errorView_; }
    // Both charts, side by side, as a picture shows them.
    QWidget* plots() const { return plots_; }

private:
    // The settings from the fields, or nothing after telling the user what is wrong.
    std::optional<SweepSettings> settingsFromFields();
    void draw();
    // Shows the lines, the summary and the message of a refusal.
    void finish();

    Declare& requests_;
    Dialogs& dialogs_;
    std::unique_ptr<Sweep> sweep_;
    std::vector<SweepPoint> points_;
    QComboBox* input_;
    QLineEdit* from_;
    QLineEdit* to_;
    QLineEdit* step_;
    QLineEdit* reference_;
    MeterField* meter_;
    std::optional<Meter> openMeter_;  // the run's
    std::string meterFailure_;        // why the run's meter stopped it
    QPushButton* start_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* summary_;
    QWidget* plots_;
    ChartView* view_;
    QLineSeries* measured_;
    QLineSeries* ideal_;
    QLineSeries* errors_;
    ChartView* errorView_;
    SlicedRun run_;  // last: it ends a running sweep before the sweep goes
};
