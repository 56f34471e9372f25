#pragma once

#include <cstdint>

#include "command/BitImage.h"
#include "command/CommandTable.h"

// Composes the chip's command word on its bit image the way the command panels do: each
// choice writes only its own field, and the word is packed from the image as it stands. The
// main window's controls drive one; so does anything else that composes the same words.
class CommandComposer {
public:
    BitImage& image() { return image_; }
    const BitImage& image() const { return image_; }

    // The image part of bringing the data controls back to their defaults: positions 0-19 to 0.
    void clearData();
    // The command's table index into positions 24-27, and its fields marked.
    void chooseCommand(Command command);
    // The channel's value from the address table into positions 20-23.
    void chooseChannel(Channel channel);
    // A 16-bit data code into the data positions.
    void setCode(int32_t code);
    // The option group on command's panel chose the option of that index (a power-down
    // mode, reset choice, reference or clear code).
    void chooseOption(Command command, int option);
    template <typename Option>
    void chooseOption(Command command, Option option) {
        chooseOption(command, index(option));
    }
    // The box of channel on command's panel (power-down or LDAC) was ticked or cleared.
    void setChannelBox(Command command, Channel channel, bool ticked);

    int32_t word() const;

private:
    BitImage image_;
};
