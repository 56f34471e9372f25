#pragma once

#include <QWidget>

class AdcMonitor;
class Declare;
class Dialogs;
class QTabWidget;
class StripChartPage;
class SweepPage;

// The read-back plots: a strip chart of every sample the monitor takes, and a code sweep
// against the ideal line. Each can be saved as CSV or as a picture.
class ReadbackPlot : public QWidget {
    Q_OBJECT
public:
    // parent: the main window, which it lives no longer than; it is a window of its own.
    ReadbackPlot(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs, QWidget* parent);

    StripChartPage& stripChart() const { return *stripChart_; }
    SweepPage& sweep() const { return *sweep_; }

    // The plot shown, as CSV or as a PNG picture; false when the file cannot be written.
    bool saveCsv(const QString& path) const;
    bool savePng(const QString& path) const;

private:
    void save(const QString& filter, bool (ReadbackPlot::*write)(const QString&) const);

    Dialogs& dialogs_;
    QTabWidget* tabs_;
    StripChartPage* stripChart_;
    SweepPage* sweep_;
};
