#include "command/BitImage.h"

#include <stdexcept>
#include <utility>

BitImage::BitImage() {
    emphasis_.fill(kInactive);
}

void BitImage::observe(std::function<void(int position)> observer) {
    if (observer_) throw std::logic_error("the bit image already has its observer");
    observer_ = std::move(observer);
}

void BitImage::setValue(int position, int value) {
    values_[position] = value;
    if (observer_) observer_(position);
}

void BitImage::setEmphasis(int position, int emphasis) {
    emphasis_[position] = emphasis;
    if (observer_) observer_(position);
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
        bits.setEmphasis(p, ((mask >> p) & 1) != 0 ? BitImage::kActive : BitImage::kInactive);
}

int32_t readField(const BitImage& bits, BitField field) {
    int32_t sum = 0;
    for (int p = field.last; p >= field.first; --p)
        sum = sum * 2 + bits.value(p);
    return sum;
}
