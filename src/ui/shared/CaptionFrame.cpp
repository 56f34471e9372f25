#include "ui/shared/CaptionFrame.h"

#include <QPainter>

CaptionFrame::CaptionFrame(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption) {
    setAccessibleName(caption);
}

void CaptionFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // The edge runs through the middle of the caption's line.
    const QRect edge = rect().adjusted(0, metrics.height() / 2, -2, -2);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(edge);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(edge.translated(1, 1));
    if (caption_.isEmpty()) return;
    const QRect text(6, 0, metrics.horizontalAdvance(caption_) + 4, metrics.height());
    painter.fillRect(text, palette().color(backgroundRole()));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(text, Qt::AlignCenter, caption_);
}
