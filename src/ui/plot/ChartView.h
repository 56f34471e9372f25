#pragma once

#include <QChartView>
#include <QString>

#include <utility>
#include <vector>

class QLabel;
class QRubberBand;
class QXYSeries;

// A chart that can be read as a lab's plotting program reads: a rectangle dragged with the
// left button zooms to it, the wheel zooms about the pointer, a drag with the right or middle
// button pans, and a double-click shows the whole chart again. The point nearest the pointer
// is read out in a label over the chart: its code in hexadecimal (or its time), its value,
// and its uncertainty where the chart draws one. The axes keep the one axis rule throughout.
class ChartView : public QChartView {
    Q_OBJECT
public:
    ChartView(QChart* chart, QWidget* parent);

    // A series the readout reads, in unit; upper and lower: the band of its uncertainty, a
    // point for each of its points (none: it has none).
    void addReading(const QXYSeries* series, const QString& unit, const QXYSeries* upper = nullptr,
                    const QXYSeries* lower = nullptr);
    // What the pointer reads; hidden while the pointer is off the plot.
    QLabel* readout() const { return readout_; }

    // The whole chart again, as the page last put it.
    void resetZoom();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Reading {
        const QXYSeries* series;
        QString unit;
        const QXYSeries* upper;
        const QXYSeries* lower;
    };

    // The plot area in the viewport's pixels.
    QRectF plotArea() const;
    // Every axis over the part of the plot between the pixels from and to (either order).
    void zoomTo(QPointF from, QPointF to);
    // Shows the point nearest pos, or hides the readout when pos is off the plot.
    void readAt(QPointF pos);
    QString readingText(const Reading& reading, int index) const;

    std::vector<Reading> readings_;
    QLabel* readout_;
    QRubberBand* band_;
    QPoint pressedAt_;
    std::vector<std::pair<double, double>> pannedFrom_;  // each axis's range as a pan began
    Qt::MouseButton dragging_ = Qt::NoButton;
};
