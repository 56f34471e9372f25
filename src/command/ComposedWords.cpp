#include "command/ComposedWords.h"

#include "command/CommandComposer.h"

int32_t dataWord(Command command, Channel channel, int32_t code) {
    CommandComposer composer;
    composer.chooseCommand(command);
    composer.chooseChannel(channel);
    composer.setCode(code);
    return composer.word();
}

int32_t panelWord(Command command, std::span<const Channel> channels, std::optional<int> option) {
    CommandComposer composer;
    composer.chooseCommand(command);
    for (const Channel channel : channels)
        composer.setChannelBox(command, channel, true);
    if (option) composer.chooseOption(command, *option);
    return composer.word();
}
