#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/ScpiStatus.h"

// Reading one program message (a line) the way IEEE 488.2 and SCPI-99 write them: units
// separated by ";", each a header and its parameters separated by ",".

// One node of a header: its mnemonic in capitals and the number after it, when one was given
// ("SOUR2" is SOUR with suffix 2).
struct HeaderNode {
    std::string mnemonic;
    std::optional<int> suffix;
};

struct ProgramUnit {
    bool common = false;                  // a "*" command: *IDN?, *RST
    bool query = false;                   // the header ends in "?"
    std::vector<HeaderNode> nodes;        // from the root, the path of earlier units applied
    std::vector<std::string> parameters;  // each as sent, the blanks around it removed
    std::string header;                   // as sent, for messages
};

// The units of a message in order, each read or the error that stops it. A unit without a
// leading ":" continues from the path of the unit before it (its header without its last
// node); "*" commands leave that path as it is; every message starts from the root.
std::vector<std::variant<ProgramUnit, ScpiError>> parseMessage(std::string_view message);
