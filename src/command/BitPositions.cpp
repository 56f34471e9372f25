#include "BitPositions.h"

void ShowBits(BitPositions& bits, int32_t value, int16_t first, int16_t last) {
    for (int p = first; p <= last; ++p) {
        bits.setValue(p, value % 2);
        value /= 2;
    }
}

void SetActiveBits(BitPositions& bits, uint32_t mask) {
    for (int p = 0; p <= 30; ++p) {
        bits.setEmphasis(p, (mask >> p) & 1 ? BitPositions::kActive : BitPositions::kInactive);
    }
}
