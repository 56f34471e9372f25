#pragma once

#include <cstdint>

#include "command/BitImage.h"

// The 24-bit bus command for the chip, packed from the bit image exactly as it stands:
// command code from positions 24-26 into bits 21-19, address code from positions 20-22 into
// bits 18-16, data from positions 4-19 into bits 15-0. Nothing else is read.
int32_t commandWordFromImage(const BitImage& bits);

// CommandWord = command code x 2^19 + address code x 2^16 + data.
constexpr int32_t commandWord(int commandCode, int addressCode, int data) {
    return (commandCode << 19) + (addressCode << 16) + data;
}

// The largest word a command can form: command, address and data bits all set. Bits 23 and
// 22 are never part of a command.
inline constexpr uint32_t kLargestCommandWord = commandWord(7, 7, 0xFFFF);
