#pragma once

class QFont;
class QWidget;

// The font the windows with fixed geometry (the package window, the main window, the About box)
// were laid out for: their controls stand at fixed places and sizes in twips and pixels, so
// under a larger desktop font their captions would be cut off or run into each other. They keep
// this font whatever the desktop's; a scale factor (a high-DPI screen, QT_SCALE_FACTOR) still
// scales such a window whole, font included. Windows with layouts follow the desktop's font.
QFont layoutFont();

// Gives window the layout font, for itself and every control in it that sets none of its own.
// Before its controls are made, so those that derive a font from it derive it from this one.
void keepLayoutFont(QWidget& window);
