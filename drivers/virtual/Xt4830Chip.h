#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "OutputStage.h"

// The quad 16-bit DAC as the board's bus sees it: input and DAC registers per channel,
// power-down modes, the LDAC register, the internal reference and the LDAC and CLR pins.
class Xt4830Chip {
public:
    static constexpr int kChannels = 4;
    static constexpr double kExternalReference = 3.0;
    static constexpr double kInternalReference = 2.5;

    Xt4830Chip() { powerOn(); }

    void powerOn();
    // A 24-bit bus command: command code in bits 21-19, address in 18-16, data in 15-0.
    void command(uint32_t word);
    void setLdacPin(bool high);
    void setClrPin(bool high);
    // Holds one output at a code whatever is written to it (a board fault, for tests).
    void stick(int channel, uint16_t code) { stuck_ = Stuck{channel, code}; }
    // Gives the outputs the analog errors of a real part (none: ideal outputs).
    void setOutputErrors(const std::array<OutputErrors, kChannels>& errors) { errors_ = errors; }

    double outputVolts(int channel) const;
    uint16_t dacRegister(int channel) const { return dac_[channel]; }
    uint16_t inputRegister(int channel) const { return input_[channel]; }

private:
    struct Stuck {
        int channel;
        uint16_t code;
    };

    void forEachAddressed(int address, auto&& action);
    void follow();

    std::array<uint16_t, kChannels> input_{};
    std::array<uint16_t, kChannels> dac_{};
    std::array<int, kChannels> powerDownMode_{};
    int ldacRegister_ = 0;
    bool internalReference_ = false;
    bool ldacHigh_ = true;
    bool clrHigh_ = true;
    std::optional<Stuck> stuck_;
    std::array<OutputErrors, kChannels> errors_;
};
