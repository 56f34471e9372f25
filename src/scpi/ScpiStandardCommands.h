#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "scpi/ScpiParser.h"
#include "scpi/ScpiStatus.h"

// A unit's answer: nothing for a command.
using ScpiAnswer = std::optional<std::string>;

// A unit's parameters, at least fewest and at most most of them: -109 with fewer, -108 with
// more.
const std::vector<std::string>& checkedParameters(const ProgramUnit& unit, std::size_t fewest,
                                                  std::size_t most);

// What every SCPI instrument does the same way, over its client's status: IEEE 488.2's status
// commands (*CLS, *ESE, *ESE?, *ESR?, *OPC, *OPC?, *SRE, *SRE?, *STB?, *WAI) and SCPI's
// required ones (SYSTem:ERRor[:NEXT]?, SYSTem:ERRor:COUNt?, SYSTem:VERSion?, STATus:PRESet).
// The unit's answer when it is one of them; nothing when it is another.
std::optional<ScpiAnswer> runStandardCommand(const ProgramUnit& unit, ScpiStatus& status);
