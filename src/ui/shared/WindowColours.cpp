#include "ui/shared/WindowColours.h"

#include <QPalette>
#include <QWidget>

void applyWindowColours(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, kWindowBackground);
    palette.setColor(QPalette::WindowText, kWindowText);
    // The etched edges of frames, in lighter and darker shades of the ground.
    palette.setColor(QPalette::Light, kWindowBackground.lighter(190));
    palette.setColor(QPalette::Dark, kWindowBackground.darker(160));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
