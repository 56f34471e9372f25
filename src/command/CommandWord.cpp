#include "CommandWord.h"

namespace {

// The positions first..last read as a binary number, least significant bit at first.
int32_t field(const BitPositions& bits, int first, int last) {
    int32_t sum = 0;
    for (int p = last; p >= first; --p)
        sum = sum * 2 + bits.value(p);
    return sum;
}

}  // namespace

int32_t commandWordFromImage(const BitPositions& bits) {
    return commandWord(field(bits, 24, 26), field(bits, 20, 22), field(bits, 4, 19));
}
