#pragma once

#include <QRect>

// Window geometry is laid out in twips; 15 twips are one pixel at 96 dots per inch.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
