#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class ChartView;
class QAbstractAxis;
class QAbstractSeries;
class QCategoryAxis;
class QChart;
class QDateTimeAxis;
class QString;
class QValueAxis;
class QWidget;

// The one rule every chart of the plot window draws its axes by, as a plotting library
// draws them: values at round steps, codes at round hexadecimal steps, and no more labels
// than the chart has room for.

// Value ticks: the first and last tick, the range from low to high widened to whole ticks,
// and the step between them, 1, 2, 2.5 or 5 times a power of ten, the smallest giving at
// most maxSteps steps. A flat range is widened by half a unit each way.
struct ValueTicks {
    double first;
    double last;
    double step;
};
ValueTicks valueTicks(double low, double high, int maxSteps);

// The tick codes over first to last: both ends, and between them the multiples of the
// smallest power of two giving at most maxSteps steps, those too near an end (under half a
// step) left out so no two labels touch.
std::vector<int32_t> codeTicks(int32_t first, int32_t last, int maxSteps);

// A horizontal axis of DAC codes at the bottom of chart, labelled in hexadecimal as the code
// fields take them, over the whole code range; its labels follow the chart's width.
QCategoryAxis* addCodeAxis(QChart& chart);
// Whether axis is a code axis made by addCodeAxis.
bool isCodeAxis(const QAbstractAxis& axis);
// Puts a code axis over first to last.
void setCodeRange(QCategoryAxis& axis, int32_t first, int32_t last);

// A value axis of chart on side (Qt::AlignLeft), titled; its ticks follow the chart's height.
QValueAxis* addValueAxis(QChart& chart, const QString& title);
// Puts a value axis over low to high, widened to whole ticks.
void setValueRange(QValueAxis& axis, double low, double high);

// Puts a time axis over the milliseconds since the epoch from to to.
void setTimeRange(QDateTimeAxis& axis, double from, double to);

// A zoom shows part of an axis: low to high exactly, values and codes still ticked by the rule
// above. The range the page puts the axis over stays its home, shown again on a reset; a
// zoomed axis keeps its zoom when the page changes the home (a live chart can be read while
// it grows). Codes are kept within 0 to FFFF, at least a few codes wide.
void zoomAxis(QAbstractAxis& axis, double low, double high);
void resetZoom(QAbstractAxis& axis);
// What the axis shows now, low to high (milliseconds since the epoch for a time axis).
std::pair<double, double> shownRange(const QAbstractAxis& axis);

// A chart of one series against code, titled, its vertical axis titled with the unit, no legend.
ChartView* codePlotView(QWidget* parent, QAbstractSeries* series, const QString& title,
                        const QString& unit);

// The vertical axis of view over the values low to high, with a little room, and never flat.
void fitVertical(ChartView* view, double low, double high);
