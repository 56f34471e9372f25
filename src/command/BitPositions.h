#pragma once

#include <cstdint>

// The 32 positions of the bit image on which a command word is composed. Each position holds a
// value (0 or 1) and an emphasis: kActive for the positions of the current command's fields,
// kInactive for the rest. The LED digits of the main window are the store; tests use a plain
// array.
class BitPositions {
public:
    static constexpr int kCount = 32;
    static constexpr int kActive = 255;
    static constexpr int kInactive = 160;

    virtual ~BitPositions() = default;
    virtual int value(int position) const = 0;
    virtual void setValue(int position, int value) = 0;
    virtual int emphasis(int position) const = 0;
    virtual void setEmphasis(int position, int emphasis) = 0;
};

// Writes the bits of value into positions first..last, least significant bit at first. Bits
// above (last - first) are dropped; first greater than last writes nothing. Each position gets
// the remainder of value by 2 with value's sign, as the image has always done.
void ShowBits(BitPositions& bits, int32_t value, int16_t first, int16_t last);

// Sets the emphasis of positions 0-30 from bits 0-30 of mask; position 31 is left alone.
void SetActiveBits(BitPositions& bits, uint32_t mask);
