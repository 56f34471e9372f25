#pragma once

#include <array>

#include "command/BitImage.h"

class QLCDNumber;
class QWidget;

// The bit image drawn on 32 LED digits, one per position: a position's value is what its digit
// shows, its emphasis the colour of the lit segments (full red for the current command's
// fields, darker red for the rest). The digits follow every change of the image and are never
// read back.
//
// Twenty-four digits form a row across the top of the DAC frame, most significant bit first,
// in groups with captions. A second row shows the other eight (31, 30, 27, 23 and 3-0) lower
// down; without it they stay out of view.
class BitsDisplay {
public:
    BitsDisplay(QWidget* frame, bool secondRow, BitImage& image);

    QLCDNumber* digit(int position) const { return digits_[position]; }

private:
    void draw(int position);

    const BitImage& image_;
    std::array<QLCDNumber*, BitImage::kCount> digits_{};
};
