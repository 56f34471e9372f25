#include "scpi/ScpiStandardCommands.h"

#include <string_view>

#include "scpi/ScpiHeaders.h"
#include "scpi/ScpiValues.h"

namespace {

struct Standard {
    std::string_view pattern;
    std::size_t parameters;  // how many it takes
    ScpiAnswer (*run)(const ProgramUnit&, ScpiStatus&);
};

uint8_t readMask(const ProgramUnit& unit) {
    return static_cast<uint8_t>(readScpiWhole(unit.parameters[0], 255));
}

// Every command has finished when the next is read: *OPC sets its bit at once, *OPC?
// answers at once, *WAI waits for nothing.
constexpr Standard kStandard[] = {
    {"*CLS", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         status.clear();
         return std::nullopt;
     }},
    {"*ESE", 1,
     [](const ProgramUnit& unit, ScpiStatus& status) -> ScpiAnswer {
         status.eventEnable = readMask(unit);
         return std::nullopt;
     }},
    {"*ESE?", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         return std::to_string(status.eventEnable);
     }},
    {"*ESR?", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         return std::to_string(status.takeEvents());
     }},
    {"*OPC", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         status.setEvent(ScpiStatus::kOperationComplete);
         return std::nullopt;
     }},
    {"*OPC?", 0, [](const ProgramUnit&, ScpiStatus&) -> ScpiAnswer { return "1"; }},
    {"*SRE", 1,
     [](const ProgramUnit& unit, ScpiStatus& status) -> ScpiAnswer {
         constexpr uint8_t kSummaryBit = 1 << 6;  // never enabled
         status.serviceEnable = readMask(unit) & ~kSummaryBit;
         return std::nullopt;
     }},
    {"*SRE?", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         return std::to_string(status.serviceEnable);
     }},
    {"*STB?", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         return std::to_string(status.statusByte());
     }},
    {"*WAI", 0, [](const ProgramUnit&, ScpiStatus&) -> ScpiAnswer { return std::nullopt; }},
    {"SYSTem:ERRor[:NEXT]?", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer { return status.nextError(); }},
    {"SYSTem:ERRor:COUNt?", 0,
     [](const ProgramUnit&, ScpiStatus& status) -> ScpiAnswer {
         return std::to_string(status.errorCount());
     }},
    {"SYSTem:VERSion?", 0, [](const ProgramUnit&, ScpiStatus&) -> ScpiAnswer { return "1999.0"; }},
    // No operation or questionable conditions to enable.
    {"STATus:PRESet", 0,
     [](const ProgramUnit&, ScpiStatus&) -> ScpiAnswer { return std::nullopt; }},
};

}  // namespace

const std::vector<std::string>& checkedParameters(const ProgramUnit& unit, std::size_t fewest,
                                                  std::size_t most) {
    const std::vector<std::string>& given = unit.parameters;
    if (given.size() < fewest) throw ScpiError{kMissingParameter, unit.header};
    if (given.size() > most) throw ScpiError{kParameterNotAllowed, unit.header + " " + given[most]};
    return given;
}

std::optional<ScpiAnswer> runStandardCommand(const ProgramUnit& unit, ScpiStatus& status) {
    for (const Standard& standard : kStandard) {
        if (!matchHeader(standard.pattern, unit)) continue;
        checkedParameters(unit, standard.parameters, standard.parameters);
        return standard.run(unit, status);
    }
    return std::nullopt;
}
