#pragma once

#include <array>

#include "BitPositions.h"
#include "Variant.h"

class QLCDNumber;
class QWidget;

// The bit image on 32 LED digits, one per position. The digits are the store: a position's
// value is what its digit shows, its emphasis the colour of the lit segments (full red for
// the current command's fields, darker red for the rest).
//
// Twenty-four digits form a row across the top of the DAC frame, most significant bit first,
// in groups with captions. Variant A shows the other eight (31, 30, 27, 23 and 3-0) lower down;
// variant B keeps them out of view.
class BitsDisplay : public BitPositions {
public:
    BitsDisplay(QWidget* frame, Variant variant);

    int value(int position) const override;
    void setValue(int position, int value) override;
    int emphasis(int position) const override;
    void setEmphasis(int position, int emphasis) override;

    QLCDNumber* digit(int position) const { return digits_[position]; }

private:
    std::array<QLCDNumber*, kCount> digits_{};
};
