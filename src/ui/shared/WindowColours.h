#pragma once

#include <QColor>

class QWidget;

// The main window's look: yellow text on a deep blue ground, for the window, its frames,
// labels, options and check boxes alike.
inline const QColor kWindowBackground{0, 0, 192};
inline const QColor kWindowText{255, 255, 0};

// Gives widget and everything inside it the window's colours.
void applyWindowColours(QWidget& widget);
