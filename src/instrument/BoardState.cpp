#include "instrument/BoardState.h"

namespace {

constexpr int kAllChannels = 7;  // the address of every channel at once

int field(uint32_t word, int shift, uint32_t mask) {
    return static_cast<int>((word >> shift) & mask);
}

}  // namespace

void BoardState::sent(const BoardRequest& request) {
    switch (request.code) {
        case kWriteDacWordCode:
            // The command byte in the value's low byte, the 16 data bits in the index.
            command((static_cast<uint32_t>(request.value) & 0xFF) << 16 |
                    (static_cast<uint32_t>(request.index) & 0xFFFF));
            return;
        case kLdacLowCode:
        case kLdacHighCode:
            ldacPin_ = request.code == kLdacHighCode;
            return;
        case kClrLowCode:
        case kClrHighCode:
            clrPin_ = request.code == kClrHighCode;
            return;
        default:
            return;
    }
}

void BoardState::command(uint32_t word) {
    const auto command = static_cast<Command>(field(word, 19, 7));
    const int address = field(word, 16, 7);
    const uint32_t data = word & 0xFFFF;
    switch (command) {
        case Command::WriteInput:
        case Command::WriteInputUpdateAll:
        case Command::WriteAndUpdate:
            for (int channel = 0; channel < kChannels; ++channel) {
                if (address == channel || address == kAllChannels)
                    codes_[static_cast<std::size_t>(channel)] = data;
            }
            return;
        case Command::PowerDown:
            for (int channel = 0; channel < kChannels; ++channel) {
                if ((data >> channel & 1) != 0)
                    modes_[static_cast<std::size_t>(channel)] =
                        static_cast<PowerDownMode>(field(data, 4, 3));
            }
            return;
        case Command::Reset:
            reset((data & 1) != 0);
            return;
        case Command::LdacRegister:
            ldacMask_ = data & 0xF;
            return;
        case Command::InternalReference:
            internalReference_ = (data & 1) != 0;
            return;
        default:
            return;
    }
}

void BoardState::reset(bool allRegisters) {
    codes_ = {};
    if (!allRegisters) return;
    modes_ = {};
    ldacMask_ = 0;
    internalReference_ = false;
}
