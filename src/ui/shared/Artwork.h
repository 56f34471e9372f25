#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own artwork, drawn in code so it stays sharp and needs no image files.

// A DAC's staircase rising over a chip, in the window's colours.
QIcon programIcon();
// The maker's logo for the top of the main window, 108 x 35 pixels.
QPixmap makerLogo();
// The decorative banner under the title, 381 x 30 pixels: a sine wave as a DAC draws it.
QPixmap waveBanner();
