#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "command/CommandTable.h"

// Whole command words composed on the command panels' model, exactly as the window composes
// them, for whoever sends a word without a window: the command line and the instrument server.

// A data command (a write, or an update with code 0) to channel.
int32_t dataWord(Command command, Channel channel, int32_t code);

// A register panel with the boxes of channels ticked and, when given, the option of that index
// chosen (a power-down mode).
int32_t panelWord(Command command, std::span<const Channel> channels,
                  std::optional<int> option = std::nullopt);

// A register panel with one option chosen: a reset or reference choice.
template <typename Option>
int32_t optionWord(Command command, Option option) {
    return panelWord(command, {}, index(option));
}
