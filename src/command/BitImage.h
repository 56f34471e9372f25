#pragma once

#include <array>
#include <cstdint>
#include <functional>

// A run of bit-image positions, first..last, least significant bit at first.
struct BitField {
    int first;
    int last;
};

// The fields of the bit image that every command shares.
inline constexpr BitField kClearedField{0, 19};  // what bringing the data controls back clears
inline constexpr BitField kDataField{4, 19};     // the 16 data bits of the command word
inline constexpr BitField kAddressField{20, 23};
inline constexpr BitField kCommandField{24, 27};

// The 32 positions on which a command word is composed: the only store of the word while the
// user builds it. Each position holds a value (0 or 1) and an emphasis, kActive for the
// positions of the current command's fields and kInactive for the rest. Every position starts
// at 0 and kInactive. The window's LED digits draw it: the one observer learns of each change.
class BitImage {
public:
    static constexpr int kCount = 32;
    static constexpr int kActive = 255;
    static constexpr int kInactive = 160;

    BitImage();

    int value(int position) const { return values_[position]; }
    int emphasis(int position) const { return emphasis_[position]; }
    void setValue(int position, int value);
    void setEmphasis(int position, int emphasis);

    // observer is called with the position after each change of its value or emphasis. An
    // image has one observer, the display that draws it: a second one is refused (throws
    // std::logic_error) rather than silently taking the first one's place.
    void observe(std::function<void(int position)> observer);

private:
    std::function<void(int position)> observer_;
    std::array<int, kCount> values_{};
    std::array<int, kCount> emphasis_{};
};

// Writes the bits of value into positions first..last, least significant bit at first. Bits
// above (last - first) are dropped; first greater than last writes nothing. Each position gets
// the remainder of value by 2 with value's sign, as the image has always done.
void ShowBits(BitImage& bits, int32_t value, int16_t first, int16_t last);
void ShowBits(BitImage& bits, int32_t value, BitField field);

// Sets the emphasis of positions 0-30 from bits 0-30 of mask; position 31 is left alone.
void SetActiveBits(BitImage& bits, uint32_t mask);

// The positions of field read back as a binary number.
int32_t readField(const BitImage& bits, BitField field);
