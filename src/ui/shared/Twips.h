#pragma once

#include <QRect>

// The windows' outer geometry (window sizes, the main window's frames, the About box) comes
// in twips, 15 to a pixel at 96 dots per inch, rounded to the nearest pixel; the panels inside
// the DAC frame are placed in pixels.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
