#include "ui/plot/ChartAxes.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>

#include "command/CodeVoltage.h"

namespace {

// Room a label takes along its axis, in pixels: "FFFF" with space either side (the charts
// elide a label with less), and a line of text.
constexpr double kCodeLabelWidth = 56;
constexpr double kValueLabelHeight = 36;

int stepsFor(double pixels, double perLabel) {
    return std::max(2, static_cast<int>(pixels / perLabel));
}

// Decimals enough for every tick at step.
int decimalsFor(double step) {
    int decimals = 0;
    while (decimals < 9 && std::abs(step * std::pow(10, decimals) -
                                    std::round(step * std::pow(10, decimals))) > 1e-6)
        ++decimals;
    return decimals;
}

void relabel(QCategoryAxis& axis, double width) {
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    const auto first = axis.property("first").toInt();
    const auto last = axis.property("last").toInt();
    axis.setRange(first, last);
    axis.setStartValue(first);
    for (const int32_t code : codeTicks(first, last, stepsFor(width, kCodeLabelWidth))) {
        axis.append(QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper(),
                    code == first ? first + 1e-9 : code);
    }
}

void rescale(QValueAxis& axis, double height) {
    const ValueTicks t =
        valueTicks(axis.property("low").toDouble(), axis.property("high").toDouble(),
                   stepsFor(height, kValueLabelHeight));
    axis.setRange(t.first, t.last);
    axis.setTickInterval(t.step);
    axis.setLabelFormat(QStringLiteral("%.%1f").arg(decimalsFor(t.step)));
}

}  // namespace

ValueTicks valueTicks(double low, double high, int maxSteps) {
    if (!(high > low)) {
        low -= 0.5;
        high += 0.5;
    }
    const double raw = (high - low) / maxSteps;
    const double power = std::pow(10, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 2.5, 5.0}) {
        if (m * power >= raw * (1 - 1e-9)) {
            step = m * power;
            break;
        }
    }
    // Ticks on whole multiples of the step, a rounding error short of one not a step more.
    const double first = std::floor(low / step + 1e-9) * step;
    const double last = std::ceil(high / step - 1e-9) * step;
    return {first, last, step};
}

std::vector<int32_t> codeTicks(int32_t first, int32_t last, int maxSteps) {
    int32_t step = 1;
    while ((last - first) / step >= maxSteps)
        step *= 2;
    std::vector<int32_t> ticks{first};
    for (int32_t code = (first / step + 1) * step; code < last; code += step) {
        if (code - first >= step / 2 && last - code >= step / 2) ticks.push_back(code);
    }
    if (last > first) ticks.push_back(last);
    return ticks;
}

QCategoryAxis* addCodeAxis(QChart& chart) {
    auto* axis = new QCategoryAxis(&chart);
    axis->setTitleText(QStringLiteral("Code (hex)"));
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart.addAxis(axis, Qt::AlignBottom);
    // Queued: the labels change once the chart's layout is done, which they may change again.
    QObject::connect(
        &chart, &QChart::plotAreaChanged, axis,
        [axis](const QRectF& area) { relabel(*axis, area.width()); }, Qt::QueuedConnection);
    setCodeRange(*axis, 0, kFullScaleCode);
    return axis;
}

void setCodeRange(QCategoryAxis& axis, int32_t first, int32_t last) {
    axis.setProperty("first", first);
    axis.setProperty("last", last);
    const auto* chart = qobject_cast<QChart*>(axis.parent());
    relabel(axis, chart != nullptr ? chart->plotArea().width() : 0);
}

QValueAxis* addValueAxis(QChart& chart, const QString& title) {
    auto* axis = new QValueAxis(&chart);
    axis->setTitleText(title);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setMinorTickCount(0);
    chart.addAxis(axis, Qt::AlignLeft);
    QObject::connect(
        &chart, &QChart::plotAreaChanged, axis,
        [axis](const QRectF& area) { rescale(*axis, area.height()); }, Qt::QueuedConnection);
    return axis;
}

void setValueRange(QValueAxis& axis, double low, double high) {
    axis.setProperty("low", low);
    axis.setProperty("high", high);
    const auto* chart = qobject_cast<QChart*>(axis.parent());
    rescale(axis, chart != nullptr ? chart->plotArea().height() : 0);
}

QChartView* codePlotView(QWidget* parent, QAbstractSeries* series, const QString& title,
                         const QString& unit) {
    auto* view = new QChartView(new QChart, parent);
    QChart* chart = view->chart();
    QCategoryAxis* codes = addCodeAxis(*chart);
    QValueAxis* values = addValueAxis(*chart, unit);
    chart->addSeries(series);
    series->attachAxis(codes);
    series->attachAxis(values);
    chart->legend()->hide();
    chart->setTitle(title);
    return view;
}

void fitVertical(QChartView* view, double low, double high) {
    auto* axis = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).at(0));
    setValueRange(*axis, low, high);
}
