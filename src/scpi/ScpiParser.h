#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "scpi/ScpiStatus.h"

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

// The units of a message in order, read one at a time, each the unit or the error that stops
// it. A unit without a leading ":" continues from the path of the unit before it (its header
// without its last node); "*" commands leave that path as it is; every message starts from the
// root. A header deeper than kDeepestHeader nodes is refused and leaves the path as it was, so
// a message costs memory in proportion to its length however its units are written.
class MessageUnits {
public:
    static constexpr std::size_t kDeepestHeader = 16;

    explicit MessageUnits(std::string_view message);
    // The next unit; nothing after the last. A quoting error anywhere in the message is its
    // only unit.
    std::optional<std::variant<ProgramUnit, ScpiError>> next();

private:
    std::variant<ProgramUnit, ScpiError> unit(std::string_view text);

    std::string_view rest_;
    std::optional<ScpiError> malformed_;
    bool ended_ = false;
    std::vector<HeaderNode> path_;
};
