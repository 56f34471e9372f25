#include "command/CommandWord.h"

namespace {

// The parts of the image that reach the word: bit 3 of the command index (27) and of the
// channel value (23) do not.
constexpr BitField kCommandCode{24, 26};
constexpr BitField kAddressCode{20, 22};

}  // namespace

int32_t commandWordFromImage(const BitImage& bits) {
    return commandWord(readField(bits, kCommandCode), readField(bits, kAddressCode),
                       readField(bits, kDataField));
}
