#include "command/CommandComposer.h"

#include "command/CommandWord.h"

void CommandComposer::clearData() {
    ShowBits(image_, 0, kClearedField);
}

void CommandComposer::chooseCommand(Command command) {
    ShowBits(image_, index(command), kCommandField);
    SetActiveBits(image_, commandEntry(command).activeMask);
}

void CommandComposer::chooseChannel(Channel channel) {
    ShowBits(image_, addressEntry(channel).value, kAddressField);
}

void CommandComposer::setCode(int32_t code) {
    ShowBits(image_, code, kDataField);
}

void CommandComposer::chooseOption(Command command, int option) {
    ShowBits(image_, option, commandEntry(command).options);
}

void CommandComposer::setChannelBox(Command command, Channel channel, bool ticked) {
    const int position = commandEntry(command).channels.first + index(channel);
    ShowBits(image_, ticked ? 1 : 0, BitField{position, position});
}

int32_t CommandComposer::word() const {
    return commandWordFromImage(image_);
}
