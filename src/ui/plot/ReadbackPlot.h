#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

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
// picture (PNG, or SVG for reports), the linearity also as JSON.
class ReadbackPlot : public QWidget {
    Q_OBJECT
public:
    enum class FileKind { Csv, Png, Svg, Json };
    // Asks the user where to save: the suggested file name and the dialog's filter in, the
    // path chosen out (empty: cancelled).
    using PathQuestion = std::function<QString(const QString& suggested, const QString& filter)>;

    // parent: the main window, which it lives no longer than; it is a window of its own.
    // provenance: what the linearity's results are saved with.
    ReadbackPlot(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs,
                 const Provenance& provenance, QWidget* parent);

    StripChartPage& stripChart() const { return *stripChart_; }
    SweepPage& sweep() const { return *sweep_; }
    LinearityPage& linearity() const { return *linearity_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* saveButton(FileKind kind) const { return saveButtons_[static_cast<int>(kind)]; }

    // Saves the plot shown at path, its suffix added when it has none: nothing, or the
    // sentence that tells the user why not.
    std::optional<std::string> saveAs(FileKind kind, const QString& path) const;
    // The save buttons ask through question (tests answer it); a file dialog by default.
    void setPathQuestion(PathQuestion question) { askPath_ = std::move(question); }

private:
    // The plot shown as a file of kind, or nothing while there is nothing to save.
    std::optional<std::string> fileBytes(FileKind kind) const;
    QWidget* picture() const;
    void save(FileKind kind);

    Dialogs& dialogs_;
    QTabWidget* tabs_;
    StripChartPage* stripChart_;
    SweepPage* sweep_;
    LinearityPage* linearity_;
    Provenance provenance_;  // of the board the plots are measured on; its time is the save's
    QString board_;          // the board in words; empty when not told
    std::array<QPushButton*, 4> saveButtons_{};
    PathQuestion askPath_;
};
