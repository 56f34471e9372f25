#pragma once

#include <QWidget>

#include "measure/LinearityReport.h"

class AdcMonitor;
class Declare;
class Dialogs;
class LinearityPage;
class QPushButton;
class QTabWidget;
class StripChartPage;
class SweepPage;

// The read-back plots: a strip chart of every sample the monitor takes, a code sweep against
// the ideal line and the static linearity of an output. Each can be saved as CSV or as a
// picture, the linearity also as JSON.
class ReadbackPlot : public QWidget {
    Q_OBJECT
public:
    // parent: the main window, which it lives no longer than; it is a window of its own.
    // provenance: what the linearity's results are saved with.
    ReadbackPlot(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs,
                 const Provenance& provenance, QWidget* parent);

    StripChartPage& stripChart() const { return *stripChart_; }
    SweepPage& sweep() const { return *sweep_; }
    LinearityPage& linearity() const { return *linearity_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* saveJsonButton() const { return saveJson_; }

    // The plot shown, as CSV, as a PNG picture or (the linearity) as JSON; false when there is
    // nothing to save or the file cannot be written.
    bool saveCsv(const QString& path) const;
    bool savePng(const QString& path) const;
    bool saveJson(const QString& path) const;

private:
    void save(const QString& filter, bool (ReadbackPlot::*write)(const QString&) const);

    Dialogs& dialogs_;
    QTabWidget* tabs_;
    StripChartPage* stripChart_;
    SweepPage* sweep_;
    LinearityPage* linearity_;
    QPushButton* saveJson_;
};
