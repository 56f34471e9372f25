#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "scpi/ScpiParser.h"

// Whether a unit's header is the command that pattern writes in the SCPI way:
// "SOURce#:VOLTage[:LEVel]?" takes SOUR1:VOLT?, :source2:voltage:level? and SOURCE:VOLT?
// (capitals: the short form; "#": a node that takes a suffix; "[...]": a node that may be left
// out; "?": a query). The suffixes of the "#" nodes in order, 1 where none was given; nothing
// when the header is another command.
std::optional<std::vector<int>> matchHeader(std::string_view pattern, const ProgramUnit& unit);
