#include "ui/plot/ChartAxes.h"

#include <QCategoryAxis>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "command/CodeVoltage.h"
#include "ui/plot/ChartView.h"

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

// The fewest codes a zoom shows.
constexpr double kFewestCodes = 4;

// The zoom of an axis: low to high, or nothing when it shows its home range.
std::optional<std::pair<double, double>> zoomOf(const QAbstractAxis& axis) {
    const QVariant low = axis.property("zoomLow");
    if (!low.isValid()) return std::nullopt;
    return std::pair(low.toDouble(), axis.property("zoomHigh").toDouble());
}

void relabel(QCategoryAxis& axis, double width) {
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    auto first = axis.property("first").toInt();
    auto last = axis.property("last").toInt();
    if (const auto zoom = zoomOf(axis)) {
        first = static_cast<int32_t>(std::floor(zoom->first));
        last = static_cast<int32_t>(std::ceil(zoom->second));
    }
    axis.setRange(first, last);
    axis.setStartValue(first);
    for (const int32_t code : codeTicks(first, last, stepsFor(width, kCodeLabelWidth))) {
        axis.append(QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper(),
                    code == first ? first + 1e-9 : code);
    }
}

// A zoomed axis shows its zoom exactly, ticked on whole steps within it. The axis labels its
// own ticks, each the whole step it stands for: a zero summed up from the steps would read
// "-0.0".
void rescale(QCategoryAxis& axis, double height) {
    const int steps = stepsFor(height, kValueLabelHeight);
    const auto zoom = zoomOf(axis);
    const ValueTicks t =
        zoom ? valueTicks(zoom->first, zoom->second, steps)
             : valueTicks(axis.property("low").toDouble(), axis.property("high").toDouble(), steps);
    const auto [low, high] = zoom ? *zoom : std::pair(t.first, t.last);
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    axis.setRange(low, high);
    axis.setStartValue(low);
    const int decimals = decimalsFor(t.step);
    for (double k = std::ceil(low / t.step - 1e-9); k * t.step <= high + t.step * 1e-9; ++k) {
        const double value = k * t.step + 0.0;  // + 0.0: no negative zero
        axis.append(QString::number(value, 'f', decimals), std::max(value, low + t.step * 1e-9));
    }
}

// The plot area of the axis's chart, which owns it through objects of its own.
QSizeF plotSize(const QAbstractAxis& axis) {
    for (const QObject* owner = axis.parent(); owner != nullptr; owner = owner->parent()) {
        if (const auto* chart = qobject_cast<const QChart*>(owner)) return chart->plotArea().size();
    }
    return {};
}

// Shows the axis over its zoom, or its home range when it has none.
void show(QAbstractAxis& axis) {
    if (auto* ticked = qobject_cast<QCategoryAxis*>(&axis)) {
        return isCodeAxis(axis) ? relabel(*ticked, plotSize(axis).width())
                                : rescale(*ticked, plotSize(axis).height());
    }
    auto* time = qobject_cast<QDateTimeAxis*>(&axis);
    if (time == nullptr) return;
    const auto zoom = zoomOf(axis);
    const double from = zoom ? zoom->first : axis.property("from").toDouble();
    const double to = zoom ? zoom->second : axis.property("to").toDouble();
    time->setRange(QDateTime::fromMSecsSinceEpoch(std::llround(from)),
                   QDateTime::fromMSecsSinceEpoch(std::llround(to)));
}

}  // namespace

bool isCodeAxis(const QAbstractAxis& axis) {
    return axis.property("codes").toBool();
}

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
    axis->setProperty("codes", true);
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
    show(axis);
}

QValueAxis* addValueAxis(QChart& chart, const QString& title) {
    auto* axis = new QCategoryAxis(&chart);
    axis->setTitleText(title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart.addAxis(axis, Qt::AlignLeft);
    QObject::connect(
        &chart, &QChart::plotAreaChanged, axis,
        [axis](const QRectF& area) { rescale(*axis, area.height()); }, Qt::QueuedConnection);
    return axis;
}

void setValueRange(QValueAxis& axis, double low, double high) {
    axis.setProperty("low", low);
    axis.setProperty("high", high);
    show(axis);
}

void setTimeRange(QDateTimeAxis& axis, double from, double to) {
    axis.setProperty("from", from);
    axis.setProperty("to", to);
    show(axis);
}

void zoomAxis(QAbstractAxis& axis, double low, double high) {
    if (isCodeAxis(axis)) {
        // Within the codes, the span kept when it runs over an end.
        high = std::max(high, low + kFewestCodes);
        const double over = std::max(0.0, high - kFullScaleCode) - std::max(0.0, -low);
        low = std::max(0.0, low - over);
        high = std::min<double>(kFullScaleCode, high - over);
    }
    if (!(high - low > 1e-9 * std::max({1.0, std::abs(low), std::abs(high)}))) return;
    axis.setProperty("zoomLow", low);
    axis.setProperty("zoomHigh", high);
    show(axis);
}

void resetZoom(QAbstractAxis& axis) {
    axis.setProperty("zoomLow", QVariant());
    axis.setProperty("zoomHigh", QVariant());
    show(axis);
}

std::pair<double, double> shownRange(const QAbstractAxis& axis) {
    if (const auto* time = qobject_cast<const QDateTimeAxis*>(&axis)) {
        return {static_cast<double>(time->min().toMSecsSinceEpoch()),
                static_cast<double>(time->max().toMSecsSinceEpoch())};
    }
    const auto* values = qobject_cast<const QValueAxis*>(&axis);
    return values != nullptr ? std::pair(values->min(), values->max()) : std::pair(0.0, 1.0);
}

ChartView* codePlotView(QWidget* parent, QAbstractSeries* series, const QString& title,
                        const QString& unit) {
    auto* view = new ChartView(new QChart, parent);
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

void fitVertical(ChartView* view, double low, double high) {
    auto* axis = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).at(0));
    setValueRange(*axis, low, high);
}
