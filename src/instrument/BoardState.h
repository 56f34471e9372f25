#pragma once

#include <array>
#include <cstdint>

#include "board/BoardRequest.h"
#include "command/CommandTable.h"

// What the board was last sent, learned from every request it took, whoever sent it (a write,
// a sweep, a raw word, a reset): the code written to each channel, the power-down modes, the
// LDAC register, the internal reference and the two pins. At start the chip is as at power-on.
class BoardState {
public:
    static constexpr int kChannels = 4;

    // One request the board took.
    void sent(const BoardRequest& request);

    uint32_t code(int channel) const { return codes_.at(static_cast<std::size_t>(channel)); }
    PowerDownMode powerDown(int channel) const {
        return modes_.at(static_cast<std::size_t>(channel));
    }
    // Bit n: channel n follows its input register whatever the LDAC pin does.
    unsigned ldacMask() const { return ldacMask_; }
    bool internalReference() const { return internalReference_; }
    bool ldacPin() const { return ldacPin_; }
    bool clrPin() const { return clrPin_; }

private:
    void command(uint32_t word);
    void reset(bool allRegisters);

    std::array<uint32_t, kChannels> codes_{};
    std::array<PowerDownMode, kChannels> modes_{};
    unsigned ldacMask_ = 0;
    bool internalReference_ = false;
    bool ldacPin_ = true;
    bool clrPin_ = true;
};
