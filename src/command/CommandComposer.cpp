#include "command/CommandComposer.h"

#include "command/CommandTable.h"
#include "command/CommandWord.h"

void CommandComposer::clearData() {
    ShowBits(image_, 0, kClearedField);
}

void CommandComposer::chooseCommand(int index) {
    ShowBits(image_, index, kCommandField);
    SetActiveBits(image_, kCommands[index].activeMask);
}

void CommandComposer::chooseChannel(int index) {
    ShowBits(image_, kAddresses[index].value, kAddressField);
}

void CommandComposer::setCode(int32_t code) {
    ShowBits(image_, code, kDataField);
}

void CommandComposer::chooseOption(int command, int index) {
    ShowBits(image_, index, kCommands[command].options);
}

void CommandComposer::setChannelBox(int command, int channel, bool ticked) {
    const int position = kCommands[command].channels.first + channel;
    ShowBits(image_, ticked ? 1 : 0, BitField{position, position});
}

int32_t CommandComposer::word() const {
    return commandWordFromImage(image_);
}
