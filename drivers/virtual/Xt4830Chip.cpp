#include "Xt4830Chip.h"

void Xt4830Chip::powerOn() {
    input_ = {};
    dac_ = {};
    powerDownMode_ = {};
    ldacRegister_ = 0;
    internalReference_ = false;
    follow();
}

// Address 7 reaches all four channels.
void Xt4830Chip::forEachAddressed(int address, auto&& action) {
    for (int ch = 0; ch < kChannels; ++ch) {
        if (address == 7 || address == ch) action(ch);
    }
}

// A DAC register follows its input register while the LDAC pin is low or its LDAC register
// bit is set; while CLR is low every DAC register holds the clear code (zero scale).
void Xt4830Chip::follow() {
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!clrHigh_) {
            dac_[ch] = 0;
        } else if (!ldacHigh_ || ((ldacRegister_ >> ch) & 1) != 0) {
            dac_[ch] = input_[ch];
        }
    }
}

void Xt4830Chip::command(uint32_t word) {
    const auto code = static_cast<int>((word >> 19) & 7);
    const auto address = static_cast<int>((word >> 16) & 7);
    const auto data = static_cast<uint16_t>(word & 0xFFFF);
    // Addresses 4 to 6 name channels this chip does not have: the word is acknowledged and
    // changes nothing, whatever its command.
    if (address >= 4 && address <= 6) return;
    switch (code) {
        case 0:  // write input register
            forEachAddressed(address, [&](int ch) { input_[ch] = data; });
            break;
        case 1:  // update DAC register from input register
            forEachAddressed(address, [&](int ch) { dac_[ch] = clrHigh_ ? input_[ch] : 0; });
            break;
        case 2:  // write input register, update all DAC registers
            forEachAddressed(address, [&](int ch) { input_[ch] = data; });
            for (int ch = 0; ch < kChannels; ++ch)
                dac_[ch] = clrHigh_ ? input_[ch] : 0;
            break;
        case 3:  // write and update
            forEachAddressed(address, [&](int ch) {
                input_[ch] = data;
                dac_[ch] = clrHigh_ ? data : 0;
            });
            break;
        case 4:  // power down: mode in data bits 5-4, channels in bits 3-0
            for (int ch = 0; ch < kChannels; ++ch) {
                if (((data >> ch) & 1) != 0) powerDownMode_[ch] = (data >> 4) & 3;
            }
            break;
        case 5:  // reset: bit 0 clear, registers to zero scale; set, everything to power-on
            if ((data & 1) != 0) {
                powerOn();
            } else {
                input_ = {};
                dac_ = {};
            }
            break;
        case 6:
            ldacRegister_ = data & 0xF;
            break;
        case 7:
            internalReference_ = (data & 1) != 0;
            break;
    }
    follow();
}

void Xt4830Chip::setLdacPin(bool high) {
    ldacHigh_ = high;
    follow();
}

void Xt4830Chip::setClrPin(bool high) {
    clrHigh_ = high;
    follow();
}

double Xt4830Chip::outputVolts(int channel) const {
    if (powerDownMode_[channel] != 0) return 0.0;
    const uint16_t code = stuck_ && stuck_->channel == channel ? stuck_->code : dac_[channel];
    const double reference = internalReference_ ? kInternalReference : kExternalReference;
    return outputStageVolts(errors_[channel], code, reference);
}
