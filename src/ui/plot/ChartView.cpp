#include "ui/plot/ChartView.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QLabel>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>
#include <QXYSeries>

#include <cmath>
#include <limits>

#include "ui/plot/ChartAxes.h"

namespace {

// A drag shorter than this (in pixels) along a direction leaves that direction's axes as they
// are: a click is no zoom.
constexpr double kLeastDrag = 4;
// The share of the range one notch of the wheel keeps.
constexpr double kWheelZoom = 0.8;
constexpr int kNotch = 120;  // a wheel's notch, in eighths of a degree

// The value at pixel pos along the axis shown over low to high on from to to pixels.
double valueAt(double pos, double from, double to, std::pair<double, double> range) {
    return range.first + (pos - from) / (to - from) * (range.second - range.first);
}

// The pixels from and to of an axis along its direction in area: left to right, or bottom to
// top.
std::pair<double, double> pixelsOf(const QAbstractAxis* axis, const QRectF& area) {
    if (axis->orientation() == Qt::Horizontal) return {area.left(), area.right()};
    return {area.bottom(), area.top()};
}

double along(const QAbstractAxis* axis, QPointF pos) {
    return axis->orientation() == Qt::Horizontal ? pos.x() : pos.y();
}

}  // namespace

ChartView::ChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent),
      readout_(new QLabel(viewport())),
      band_(new QRubberBand(QRubberBand::Rectangle, viewport())) {
    viewport()->setMouseTracking(true);
    readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
    readout_->setStyleSheet(
        QStringLiteral("background: rgba(255, 255, 255, 230); border: 1px solid gray; "
                       "padding: 2px;"));
    // A label's text is its name for a screen reader; what it is goes in the description.
    readout_->setAccessibleDescription(QStringLiteral("Value under the pointer"));
    readout_->hide();
    setToolTip(QStringLiteral(
        "Drag a rectangle to zoom, turn the wheel to zoom about the pointer, drag with the right "
        "button to pan, double-click to show the whole chart."));
}

void ChartView::addReading(const QXYSeries* series, const QString& unit, const QXYSeries* upper,
                           const QXYSeries* lower) {
    readings_.push_back({series, unit, upper, lower});
}

QRectF ChartView::plotArea() const {
    return mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
}

void ChartView::resetZoom() {
    for (QAbstractAxis* axis : chart()->axes())
        ::resetZoom(*axis);
}

void ChartView::zoomTo(QPointF from, QPointF to) {
    const QRectF area = plotArea();
    for (QAbstractAxis* axis : chart()->axes()) {
        const double a = along(axis, from);
        const double b = along(axis, to);
        if (std::abs(a - b) < kLeastDrag) continue;
        const auto [first, last] = pixelsOf(axis, area);
        const double at = valueAt(a, first, last, shownRange(*axis));
        const double bt = valueAt(b, first, last, shownRange(*axis));
        zoomAxis(*axis, std::min(at, bt), std::max(at, bt));
    }
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (!plotArea().contains(event->position())) return QChartView::mousePressEvent(event);
    dragging_ = event->button();
    pressedAt_ = event->position().toPoint();
    pannedFrom_.clear();
    for (const QAbstractAxis* axis : chart()->axes())
        pannedFrom_.push_back(shownRange(*axis));
    event->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    readAt(pos);
    if (dragging_ == Qt::LeftButton) {
        band_->setGeometry(QRect(pressedAt_, pos.toPoint()).normalized());
        band_->show();
    } else if (dragging_ != Qt::NoButton) {
        // Panned from where the drag began, so no step is lost to rounding.
        const QRectF area = plotArea();
        const QList<QAbstractAxis*> axes = chart()->axes();
        for (qsizetype i = 0; i < axes.size() && i < std::ssize(pannedFrom_); ++i) {
            const auto [first, last] = pixelsOf(axes[i], area);
            const auto range = pannedFrom_[static_cast<std::size_t>(i)];
            const double shift = valueAt(along(axes[i], pressedAt_), first, last, range) -
                                 valueAt(along(axes[i], pos), first, last, range);
            zoomAxis(*axes[i], range.first + shift, range.second + shift);
        }
    }
    event->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ == Qt::LeftButton && event->button() == Qt::LeftButton) {
        band_->hide();
        zoomTo(pressedAt_, event->position());
    }
    if (event->button() == dragging_) dragging_ = Qt::NoButton;
    event->accept();
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    resetZoom();
    event->accept();
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const QPointF pos = event->position();
    const QRectF area = plotArea();
    if (!area.contains(pos) || event->angleDelta().y() == 0) return QChartView::wheelEvent(event);
    const double keep = std::pow(kWheelZoom, event->angleDelta().y() / double(kNotch));
    for (QAbstractAxis* axis : chart()->axes()) {
        const auto [first, last] = pixelsOf(axis, area);
        const auto range = shownRange(*axis);
        const double at = valueAt(along(axis, pos), first, last, range);
        zoomAxis(*axis, at - (at - range.first) * keep, at + (range.second - at) * keep);
    }
    event->accept();
}

void ChartView::leaveEvent(QEvent* event) {
    readout_->hide();
    QChartView::leaveEvent(event);
}

void ChartView::readAt(QPointF pos) {
    const QRectF area = plotArea();
    const QList<QAbstractAxis*> horizontal = chart()->axes(Qt::Horizontal);
    const QList<QAbstractAxis*> vertical = chart()->axes(Qt::Vertical);
    if (!area.contains(pos) || horizontal.isEmpty() || vertical.isEmpty()) {
        readout_->hide();
        return;
    }
    const auto x = shownRange(*horizontal.front());
    const auto y = shownRange(*vertical.front());
    const Reading* nearest = nullptr;
    int index = -1;
    double distance = std::numeric_limits<double>::infinity();
    for (const Reading& reading : readings_) {
        const QList<QPointF> points = reading.series->points();
        for (qsizetype i = 0; i < points.size(); ++i) {
            const double px =
                area.left() + (points[i].x() - x.first) / (x.second - x.first) * area.width();
            const double py =
                area.bottom() - (points[i].y() - y.first) / (y.second - y.first) * area.height();
            const double d = std::hypot(px - pos.x(), py - pos.y());
            if (!area.contains(px, py) || d >= distance) continue;
            distance = d;
            nearest = &reading;
            index = static_cast<int>(i);
        }
    }
    if (nearest == nullptr) {
        readout_->hide();
        return;
    }
    readout_->setText(readingText(*nearest, index));
    readout_->adjustSize();
    readout_->move(viewport()->width() - readout_->width() - 8, 8);
    readout_->show();
}

// "8000: INL 0.25 ± 0.061 LSB", "12:03:04: B 1.50018 V". Numbers as a C program writes them,
// whatever the locale.
QString ChartView::readingText(const Reading& reading, int index) const {
    const QPointF p = reading.series->at(index);
    const QAbstractAxis* axis = chart()->axes(Qt::Horizontal).front();
    QString where = QString::number(p.x(), 'g', 6);
    if (isCodeAxis(*axis)) {
        where = QStringLiteral("%1").arg(std::lround(p.x()), 4, 16, QLatin1Char('0')).toUpper();
    } else if (qobject_cast<const QDateTimeAxis*>(axis) != nullptr) {
        where = QDateTime::fromMSecsSinceEpoch(std::llround(p.x()))
                    .toString(QStringLiteral("HH:mm:ss"));
    }
    QString text = where + QStringLiteral(": ") + reading.series->name() + QLatin1Char(' ') +
                   QString::number(p.y(), 'g', 6);
    if (reading.upper != nullptr && index < reading.upper->count()) {
        const double u = (reading.upper->at(index).y() - reading.lower->at(index).y()) / 2;
        text += QStringLiteral(" \u00B1 ") + QString::number(u, 'g', 2);
    }
    return text + QLatin1Char(' ') + reading.unit;
}
