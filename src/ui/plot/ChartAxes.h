#pragma once

#include <cstdint>

class QAbstractSeries;
class QChart;
class QChartView;
class QString;
class QValueAxis;
class QWidget;

// What the plot window's charts share in their axes.

// The tick interval of a code axis over span codes: the smallest power of two (a round
// hexadecimal code: 0x1000, 0x2000, ...) that divides the span into at most eight steps.
int32_t codeTickInterval(int32_t span);

// A horizontal axis of DAC codes at the bottom of chart, labelled in hexadecimal as the code
// fields take them, over the whole code range.
QValueAxis* addCodeAxis(QChart& chart);
// Puts a code axis over first to last, its ticks on the round codes within.
void setCodeRange(QValueAxis& axis, int32_t first, int32_t last);

// A chart of one series against code, titled, its vertical axis titled with the unit, no legend.
QChartView* codePlotView(QWidget* parent, QAbstractSeries* series, const QString& title,
                         const QString& unit);

// The vertical axis of view over the values low to high, with a little room, and never flat.
void fitVertical(QChartView* view, double low, double high);
