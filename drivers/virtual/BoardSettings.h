#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How the virtual board is set up for a test or a demonstration, from a comma-separated list:
//   absent            no board is plugged in
//   lfcsp             the 10-lead package is fitted, so the chip answers at bus address 30
//   unplug-after=N    the board is unplugged after N requests
//   noise=N           each ADC reading is off by up to N counts
//   stuck=C:CODE      output C (A to D) stays at CODE (decimal or 0x hex) whatever is written
//   trace-times       each trace line starts with the time of the call, in seconds
struct BoardSettings {
    bool present = true;
    bool lfcsp = false;
    std::optional<uint64_t> unplugAfter;
    int noise = 0;
    std::optional<int> stuckChannel;
    uint16_t stuckCode = 0;
    bool traceTimes = false;
};

// The settings, or an explanation of the first entry that cannot be understood.
struct ParsedSettings {
    BoardSettings settings;
    std::string error;
};

ParsedSettings parseBoardSettings(std::string_view text);
