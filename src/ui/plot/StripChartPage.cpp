#include "ui/plot/StripChartPage.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include "measure/ResultTables.h"
#include "ui/plot/ChartAxes.h"
#include "ui/plot/ChartView.h"

namespace {

qint64 msSinceEpoch(SampleHistory::Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

constexpr qint64 kSpanMs = std::chrono::milliseconds(SampleHistory::kSpan).count();

}  // namespace

StripChartPage::StripChartPage(QWidget* parent)
    : QWidget(parent),
      chart_(new QChart),
      view_(new ChartView(chart_, this)),
      time_(new QDateTimeAxis(this)),
      volts_(addValueAxis(*chart_, QStringLiteral("Volts"))),
      pause_(new QPushButton(QStringLiteral("Pause"), this)),
      clear_(new QPushButton(QStringLiteral("Clear"), this)) {
    time_->setFormat(QStringLiteral("HH:mm:ss"));
    time_->setTitleText(QStringLiteral("Time"));
    time_->setTickCount(6);  // a line every two minutes
    chart_->addAxis(time_, Qt::AlignBottom);
    // A line for every input from the start, so the legend lists them in order; an input
    // shows in it once it has been measured.
    for (int input = 0; input < static_cast<int>(series_.size()); ++input) {
        auto* series = new QLineSeries(this);
        series->setName(QString::fromStdString(inputName(input)));
        series->setPointsVisible(true);  // each sample a point, the line between them
        chart_->addSeries(series);
        series->attachAxis(time_);
        series->attachAxis(volts_);
        series_[input] = series;
        view_->addReading(series, QStringLiteral("V"));
    }
    showInLegend();
    showSpanTo(msSinceEpoch(SampleHistory::Clock::now()), 3.0);
    view_->setAccessibleName(QStringLiteral("Read-back strip chart"));
    pause_->setCheckable(true);
    connect(clear_, &QPushButton::clicked, this, &StripChartPage::clearAll);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_);
    buttons->addWidget(clear_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(buttons);
}

void StripChartPage::addSample(int input, int count, double volts, double reference,
                               SampleHistory::Clock::time_point time) {
    if (pause_->isChecked()) return;
    const SampleHistory::Sample sample{time, input, count, volts};
    history_.add(sample);
    const qint64 now = msSinceEpoch(sample.time);
    series_[input]->append(static_cast<qreal>(now), volts);
    // Points older than the span leave their lines.
    for (QLineSeries* series : series_) {
        int stale = 0;
        while (stale < series->count() && series->at(stale).x() < static_cast<qreal>(now - kSpanMs))
            ++stale;
        if (stale > 0) series->removePoints(0, stale);
    }
    showInLegend();
    showSpanTo(now, reference > 0 ? reference : 3.0);
}

void StripChartPage::showSpanTo(qint64 now, double reference) {
    setTimeRange(*time_, static_cast<double>(now - kSpanMs), static_cast<double>(now));
    // A little room beyond 0 V and the reference, so a line on either stays in sight whole.
    const double room = reference * 0.04;
    setValueRange(*volts_, -room, reference + room);
}

void StripChartPage::showInLegend() {
    for (QLineSeries* series : series_)
        chart_->legend()->markers(series).at(0)->setVisible(series->count() > 0);
    // The legend lays its markers out anew only when told: else a marker shown since shows
    // without its name until the window is resized.
    chart_->legend()->layout()->invalidate();
}

void StripChartPage::clearAll() {
    history_.clear();
    for (QLineSeries* series : series_)
        series->clear();
    showInLegend();
}
