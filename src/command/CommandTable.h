#pragma once

#include <array>
#include <cstdint>

// The commands offered on the Command Bits panel. The index is the option's index and also
// the value written into positions 24-27; index 8 does not fit the three-bit command field, so
// it reaches the word as command code 0.
struct CommandEntry {
    const char* caption;
    uint32_t activeMask;  // the positions of the command's fields, for SetActiveBits
    bool dataEntry;       // the hexadecimal and voltage entry is shown
    bool addressOptions;  // the channel options are shown (else "not used for this command")
};

inline constexpr std::array<CommandEntry, 9> kCommands = {{
    {"Write to Input Register n", 0x0FFFFFF0, true, true},
    {"Update DAC Register n", 0x0FF00000, false, true},
    {"Write to Input Register n, Update All", 0x0FFFFFF0, true, true},
    {"Write to and Update DAC channel n", 0x0FFFFFF0, true, true},
    {"Power Down DAC (Power-up)", 0x0F00033F, false, false},
    {"Reset", 0x0F000010, false, false},
    {"LDAC Register Setup", 0x0F00003F, false, false},
    {"Internal Reference Setup", 0x0F000010, false, false},
    {"CLR Code Register", 0x0F000001, false, false},
}};

// The channels of the Address Bits panel. DAC E to H exist but are not offered.
struct AddressEntry {
    const char* caption;
    bool offered;
};

inline constexpr std::array<AddressEntry, 9> kAddresses = {{
    {"DAC A", true},
    {"DAC B", true},
    {"DAC C", true},
    {"DAC D", true},
    {"DAC E", false},
    {"DAC F", false},
    {"DAC G", false},
    {"DAC H", false},
    {"All DACs", true},
}};

// The value an address option writes into positions 20-23: its index, or 15 for "All DACs"
// (so address code 7 reaches the word, the same as DAC H).
constexpr int addressValue(int index) {
    return index == 8 ? 15 : index;
}
