#include "ui/plot/ChartAxes.h"

#include <QChart>
#include <QChartView>
#include <QValueAxis>

#include <algorithm>

#include "command/CodeVoltage.h"

int32_t codeTickInterval(int32_t span) {
    int32_t interval = 1;
    while (span / interval > 8)
        interval *= 2;
    return interval;
}

QValueAxis* addCodeAxis(QChart& chart) {
    auto* axis = new QValueAxis(&chart);
    axis->setTitleText(QStringLiteral("Code (hex)"));
    axis->setLabelFormat(QStringLiteral("%04X"));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setMinorTickCount(0);
    chart.addAxis(axis, Qt::AlignBottom);
    setCodeRange(*axis, 0, kFullScaleCode);
    return axis;
}

void setCodeRange(QValueAxis& axis, int32_t first, int32_t last) {
    axis.setRange(first, last);
    axis.setTickInterval(codeTickInterval(last - first));
}

QChartView* codePlotView(QWidget* parent, QAbstractSeries* series, const QString& title,
                         const QString& unit) {
    auto* view = new QChartView(new QChart, parent);
    QChart* chart = view->chart();
    QValueAxis* codes = addCodeAxis(*chart);
    auto* values = new QValueAxis(view);
    values->setTitleText(unit);
    chart->addAxis(values, Qt::AlignLeft);
    chart->addSeries(series);
    series->attachAxis(codes);
    series->attachAxis(values);
    chart->legend()->hide();
    chart->setTitle(title);
    return view;
}

void fitVertical(QChartView* view, double low, double high) {
    const double margin = std::max(0.5, (high - low) * 0.1);
    auto* axis = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).at(0));
    axis->setRange(low - margin, high + margin);
}
