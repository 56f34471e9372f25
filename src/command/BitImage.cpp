#include "command/BitImage.h"

BitImage::BitImage() {
    emphasis_.fill(kInactive);
}

void BitImage::setValue(int position, int value) {
    values_[position] = value;
    if (onChange) onChange(position);
}

void BitImage::setEmphasis(int position, int emphasis) {
    emphasis_[position] = emphasis;
    if (onChange) onChange(position);
}

void ShowBits(BitImage& bits, int32_t value, int16_t first, int16_t last) {
    for (int p = first; p <= last; ++p) {
        bits.setValue(p, value % 2);
        value /= 2;
    }
}

void ShowBits(BitImage& bits, int32_t value, BitField field) {
    ShowBits(bits, value, static_cast<int16_t>(field.first), static_cast<int16_t>(field.last));
}

void SetActiveBits(BitImage& bits, uint32_t mask) {
    for (int p = 0; p <= 30; ++p)
        bits.setEmphasis(p, (mask >> p) & 1 ? BitImage::kActive : BitImage::kInactive);
}

int32_t readField(const BitImage& bits, BitField field) {
    int32_t sum = 0;
    for (int p = field.last; p >= field.first; --p)
        sum = sum * 2 + bits.value(p);
    return sum;
}
