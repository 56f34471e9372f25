#include "ui/shared/LedDisplay.h"

#include <QLCDNumber>

void styleAsLed(QLCDNumber& display, const QColor& segments) {
    display.setSegmentStyle(QLCDNumber::Flat);
    display.setFrameShape(QFrame::NoFrame);
    display.setAutoFillBackground(true);
    QPalette palette = display.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, segments);
    display.setPalette(palette);
}
