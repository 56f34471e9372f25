#pragma once

#include <QWidget>

#include <array>

#include "ui/plot/SampleHistory.h"

class ChartView;
class QChart;
class QDateTimeAxis;
class QLineSeries;
class QPushButton;
class QValueAxis;

// Every sample the ADC monitor takes while the window is open, one line per input, volts over
// the last ten minutes. The samples themselves are the monitor's; the chart only listens.
class StripChartPage : public QWidget {
    Q_OBJECT
public:
    explicit StripChartPage(QWidget* parent);

    // A sample the monitor took at time; reference: the ADC reference it was converted with.
    void addSample(int input, int count, double volts, double reference,
                   SampleHistory::Clock::time_point time = SampleHistory::Clock::now());

    const SampleHistory& history() const { return history_; }
    ChartView* chartView() const { return view_; }
    QLineSeries* series(int input) const { return series_[input]; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* clearButton() const { return clear_; }

private:
    void clearAll();
    // The time axis over the span up to now (ms since the epoch), the volts over 0 to the
    // reference.
    void showSpanTo(qint64 now, double reference);
    // The inputs with samples in the legend.
    void showInLegend();

    SampleHistory history_;
    QChart* chart_;
    ChartView* view_;
    QDateTimeAxis* time_;
    QValueAxis* volts_;
    std::array<QLineSeries*, 8> series_{};
    QPushButton* pause_;
    QPushButton* clear_;
};
