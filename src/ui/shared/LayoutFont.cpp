#include "ui/shared/LayoutFont.h"

#include <QFont>
#include <QWidget>

QFont layoutFont() {
    // Qt's own default on X11 when the desktop names no font: the fontconfig sans serif face
    // at 9 points, 12 pixels at 96 dots per inch.
    return {QStringLiteral("Sans Serif"), 9};
}

void keepLayoutFont(QWidget& window) {
    window.setFont(layoutFont());
}
