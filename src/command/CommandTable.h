#pragma once

#include <array>
#include <cstdint>

#include "command/BitImage.h"

// Nothing written: a panel without such controls.
inline constexpr BitField kNoField{1, 0};

// The commands offered on the Command Bits panel, one row each. The index is the option's
// index, the value written into positions 24-27 and the index of the data panel shown; index 8
// does not fit the three-bit command field, so it reaches the word as command code 0.
struct CommandEntry {
    const char* caption;
    uint32_t activeMask;  // the positions of the command's fields, for SetActiveBits
    bool dataEntry;       // the hexadecimal and voltage entry is shown
    bool addressOptions;  // the channel options are shown (else "not used for this command")
    BitField options;     // where the panel's option group writes the chosen index
    BitField channels;    // the panel's channel boxes: box n writes position channels.first + n
};

inline constexpr std::array<CommandEntry, 9> kCommands = {{
    {"Write to Input Register n", 0x0FFFFFF0, true, true, kNoField, kNoField},
    {"Update DAC Register n", 0x0FF00000, false, true, kNoField, kNoField},
    {"Write to Input Register n, Update All", 0x0FFFFFF0, true, true, kNoField, kNoField},
    {"Write to and Update DAC channel n", 0x0FFFFFF0, true, true, kNoField, kNoField},
    // Mode in data bits 5-4, one bit per channel from bit 0 (DAC E-H would reach the mode).
    {"Power Down DAC (Power-up)", 0x0F00033F, false, false, {8, 9}, {4, 11}},
    // 0 resets the DAC and input registers only, 1 every register.
    {"Reset", 0x0F000010, false, false, {4, 4}, kNoField},
    // A ticked channel follows its input register whatever the LDAC pin does.
    {"LDAC Register Setup", 0x0F00003F, false, false, kNoField, {4, 11}},
    // 0 external reference, 1 the internal one.
    {"Internal Reference Setup", 0x0F000010, false, false, {4, 4}, kNoField},
    // The clear code in positions 0-1, which never reach the word; its options lie on the
    // Reset panel.
    {"CLR Code Register", 0x0F000001, false, false, {0, 1}, kNoField},
}};

inline constexpr int kPowerDownCommand = 4;
inline constexpr int kResetCommand = 5;
inline constexpr int kLdacCommand = 6;
inline constexpr int kReferenceCommand = 7;
inline constexpr int kClearCodeCommand = 8;

// The positions the main window marks at start-up: those of command 0, which its layout
// selects.
inline constexpr uint32_t kStartActiveMask = kCommands[0].activeMask;

// The channels of the Address Bits panel. DAC E to H exist but are not offered.
struct AddressEntry {
    const char* caption;
    bool offered;
    int value;  // written into positions 20-23
};

// "All DACs" writes 15, so address code 7 reaches the word, the same as DAC H.
inline constexpr std::array<AddressEntry, 9> kAddresses = {{
    {"DAC A", true, 0},
    {"DAC B", true, 1},
    {"DAC C", true, 2},
    {"DAC D", true, 3},
    {"DAC E", false, 4},
    {"DAC F", false, 5},
    {"DAC G", false, 6},
    {"DAC H", false, 7},
    {"All DACs", true, 15},
}};

inline constexpr int kAllDacs = 8;
