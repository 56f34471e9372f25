#include "ui/plot/StripChartPage.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include "measure/ResultTables.h"

namespace {

qint64 msSinceEpoch(SampleHistory::Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

}  // namespace

StripChartPage::StripChartPage(QWidget* parent)
    : QWidget(parent),
      chart_(new QChart),
      view_(new QChartView(chart_, this)),
      time_(new QDateTimeAxis(this)),
      volts_(new QValueAxis(this)),
      pause_(new QPushButton(QStringLiteral("Pause"), this)),
      clear_(new QPushButton(QStringLiteral("Clear"), this)) {
    time_->setFormat(QStringLiteral("HH:mm:ss"));
    time_->setTitleText(QStringLiteral("Time"));
    volts_->setTitleText(QStringLiteral("Volts"));
    volts_->setRange(0, 3);
    chart_->addAxis(time_, Qt::AlignBottom);
    chart_->addAxis(volts_, Qt::AlignLeft);
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
    if (series_[input] == nullptr) {
        // A line of its own for each input, the first time it is measured.
        series_[input] = new QLineSeries(this);
        series_[input]->setName(QString::fromStdString(inputName(input)));
        chart_->addSeries(series_[input]);
        series_[input]->attachAxis(time_);
        series_[input]->attachAxis(volts_);
    }
    const qint64 now = msSinceEpoch(sample.time);
    series_[input]->append(static_cast<qreal>(now), volts);
    // Points older than the span leave their lines.
    const qint64 oldest = now - std::chrono::milliseconds(SampleHistory::kSpan).count();
    for (QLineSeries* series : series_) {
        int stale = 0;
        while (series != nullptr && stale < series->count() &&
               series->at(stale).x() < static_cast<qreal>(oldest))
            ++stale;
        if (stale > 0) series->removePoints(0, stale);
    }
    time_->setRange(QDateTime::fromMSecsSinceEpoch(oldest), QDateTime::fromMSecsSinceEpoch(now));
    volts_->setRange(0, reference > 0 ? reference : 3.0);
}

void StripChartPage::clearAll() {
    history_.clear();
    for (QLineSeries* series : series_) {
        if (series != nullptr) series->clear();
    }
}
