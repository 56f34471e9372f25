#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "command/BitImage.h"

// The command and address tables of the chip's command word, with everything the windows and
// the command line show or accept for them: captions, option captions and option names.

// An enumeration's value as the index of its table row or option.
template <typename Enum>
constexpr int index(Enum value) {
    return static_cast<int>(value);
}

// The entries of the command table, by their index: the Command Bits option's index, the
// value written into positions 24-27 and the index of the data panel shown.
enum class Command : int {
    WriteInput,
    Update,
    WriteInputUpdateAll,
    WriteAndUpdate,
    PowerDown,
    Reset,
    LdacRegister,
    InternalReference,
    ClearCodeRegister,
};

// The entries of the address table, by their index (the Address Bits option's index).
enum class Channel : int { DacA, DacB, DacC, DacD, DacE, DacF, DacG, DacH, AllDacs };

// The address code that reaches the word for all four channels at once (and for DAC H).
inline constexpr int kAllChannelsCode = 7;

// The option values of the register panels, by the option's index.
enum class PowerDownMode : int { Normal, OneKToGround, HundredKToGround, ThreeState };
enum class ResetChoice : int { DacAndInputOnly, AllRegisters };
enum class ReferenceChoice : int { Off, On };
enum class ClearCode : int { ZeroScale, MidScale, FullScale, NoOperation };

// One option of a register panel: its caption in the window, its name on the command line and
// its SCPI mnemonic (capitals: the short form).
struct OptionEntry {
    const char* caption;
    const char* name;
    const char* scpi;
};

inline constexpr std::array<OptionEntry, 4> kPowerDownModes = {{
    {"Normal Operation", "normal", "NORMal"},
    {"1k Ohm to Ground", "1k", "R1K"},
    {"100k Ohm to Ground", "100k", "R100K"},
    {"Three State", "three-state", "TSTate"},
}};
// 0 resets the DAC and input registers only, 1 every register.
inline constexpr std::array<OptionEntry, 2> kResetChoices = {{
    {"Reset DAC and Input Registers Only", "dac-and-input", "DAC"},
    {"Reset All Registers", "all", "ALL"},
}};
// 0 external reference, 1 the internal one. The first caption ends in a blank.
inline constexpr std::array<OptionEntry, 2> kReferenceChoices = {{
    {"Internal reference OFF (default) (use external reference) ", "off", "OFF"},
    {"Internal reference ON", "on", "ON"},
}};
inline constexpr std::array<OptionEntry, 4> kClearCodes = {{
    {"Zero Scale", "zero", "ZERO"},
    {"Mid Scale", "mid", "MID"},
    {"Full Scale", "full", "FULL"},
    {"No Operation", "none", "NONE"},
}};

// The levels of the LDAC and CLR pins, 0 low and 1 high.
inline constexpr std::array<OptionEntry, 2> kPinLevels = {{
    {"Low", "low", "LOW"},
    {"High", "high", "HIGH"},
}};

// Nothing written: a panel without such controls.
inline constexpr BitField kNoField{1, 0};

// One row of the command table. Index 8 does not fit the three-bit command field, so it
// reaches the word as command code 0.
struct CommandEntry {
    const char* caption;
    int code;             // the command code that reaches the word
    uint32_t activeMask;  // the positions of the command's fields, for SetActiveBits
    const char* panel;    // the caption of its data panel
    bool dataEntry;       // the hexadecimal and voltage entry is shown
    bool addressOptions;  // the channel options are shown (else "not used for this command")
    BitField options;     // where the panel's option group writes the chosen index
    std::span<const OptionEntry> choices;  // that option group's options
    BitField channels;  // the panel's channel boxes: box n writes position channels.first + n
};

// Two lines to a row, as the table reads:
// clang-format off
inline constexpr std::array<CommandEntry, 9> kCommands = {{
    {"Write to Input Register n", 0, 0x0FFFFFF0, "Data Bits",
     true, true, kNoField, {}, kNoField},
    {"Update DAC Register n", 1, 0x0FF00000, "Update DAC Register",
     false, true, kNoField, {}, kNoField},
    {"Write to Input Register n, Update All", 2, 0x0FFFFFF0, "Data Bits",
     true, true, kNoField, {}, kNoField},
    {"Write to and Update DAC channel n", 3, 0x0FFFFFF0, "Data Bits",
     true, true, kNoField, {}, kNoField},
    // Mode in data bits 5-4, one bit per channel from bit 0 (DAC E-H would reach the mode).
    {"Power Down DAC (Power-up)", 4, 0x0F00033F, "Power Down/Up Register",
     false, false, {8, 9}, kPowerDownModes, {4, 11}},
    {"Reset", 5, 0x0F000010, "Reset",
     false, false, {4, 4}, kResetChoices, kNoField},
    // A ticked channel follows its input register whatever the LDAC pin does.
    {"LDAC Register Setup", 6, 0x0F00003F, "LDAC Register Setup",
     false, false, kNoField, {}, {4, 11}},
    {"Internal Reference Setup", 7, 0x0F000010, "REF Setup Register",
     false, false, {4, 4}, kReferenceChoices, kNoField},
    // The clear code in positions 0-1, which never reach the word; its options lie on the
    // Reset panel.
    {"CLR Code Register", 0, 0x0F000001, "CLR Code Register",
     false, false, {0, 1}, kClearCodes, kNoField},
}};
// clang-format on

constexpr const CommandEntry& commandEntry(Command command) {
    return kCommands[static_cast<std::size_t>(command)];
}

// The positions the main window marks at start-up: those of the command its layout selects.
inline constexpr Command kStartCommand = Command::WriteInput;

// One row of the address table. DAC E to H exist but are not offered.
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

constexpr const AddressEntry& addressEntry(Channel channel) {
    return kAddresses[static_cast<std::size_t>(channel)];
}
