#pragma once

#include <cstdint>

#include "command/BitImage.h"

// Composes the chip's command word on its bit image the way the command panels do: each
// choice writes only its own field, and the word is packed from the image as it stands. The
// main window's controls drive one; so does anything else that composes the same words.
class CommandComposer {
public:
    BitImage& image() { return image_; }
    const BitImage& image() const { return image_; }

    // The image part of bringing the data controls back to their defaults: positions 0-19 to 0.
    void clearData();
    // The command-table entry index into positions 24-27, and its fields marked.
    void chooseCommand(int index);
    // The address-table entry index: its value into positions 20-23.
    void chooseChannel(int index);
    // A 16-bit data code into the data positions.
    void setCode(int32_t code);
    // The option group on command's panel chose index (power-down mode, reset choice,
    // reference, clear code).
    void chooseOption(int command, int index);
    // Channel box channel on command's panel (power-down or LDAC) was ticked or cleared.
    void setChannelBox(int command, int channel, bool ticked);

    int32_t word() const;

private:
    BitImage image_;
};
