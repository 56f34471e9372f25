#include "WindowColours.h"

#include <QPalette>
#include <QWidget>

void applyWindowColours(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, kWindowBackground);
    palette.setColor(QPalette::WindowText, kWindowText);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
