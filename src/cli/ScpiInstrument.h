#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ScpiParser.h"
#include "cli/ScpiStatus.h"
#include "command/CommandTable.h"
#include "measure/SelfTestSequence.h"

class Declare;

// The evaluation board as an SCPI instrument: IEEE 488.2's common commands, SCPI's required
// ones and the board's own, each composing exactly the words the window composes. A unit that
// fails a check sends nothing to the board; every error goes to the status's queue.
class ScpiInstrument {
public:
    // identity: *IDN?'s answer.
    ScpiInstrument(Declare& requests, std::string identity);

    // Runs every unit of one message and gives the answers of its queries as one line (";"
    // between them, LF at the end), or nothing when no query answered. A query whose request
    // the board refuses answers 9.91E+37, SCPI's "not a number", so no client waits in vain.
    std::string execute(std::string_view message);

    ScpiStatus& status() { return status_; }

    // *IDN?: maker, model, serial number (0: the board tells none) and the software version.
    static std::string identityOf(std::string_view version);

private:
    struct Call;
    using Handler = std::optional<std::string> (ScpiInstrument::*)(const Call&);
    struct Entry {
        std::string_view pattern;
        Handler handler;
    };
    static std::span<const Entry> commands();

    std::optional<std::string> run(const ProgramUnit& unit);
    void write(int32_t word);
    int channelOf(const Call& call) const;
    void writeCode(const Call& call, Command command, uint32_t code);
    void resetPart(ResetChoice choice);
    uint32_t codeFromVolts(const Call& call) const;

    std::optional<std::string> identify(const Call&);
    std::optional<std::string> reset(const Call&);
    std::optional<std::string> clearStatus(const Call&);
    std::optional<std::string> setEventEnable(const Call&);
    std::optional<std::string> eventEnable(const Call&);
    std::optional<std::string> events(const Call&);
    std::optional<std::string> operationComplete(const Call&);
    std::optional<std::string> operationCompleteQuery(const Call&);
    std::optional<std::string> setServiceEnable(const Call&);
    std::optional<std::string> serviceEnable(const Call&);
    std::optional<std::string> statusByte(const Call&);
    std::optional<std::string> wait(const Call&);
    std::optional<std::string> selfTest(const Call&);
    std::optional<std::string> selfTestReadings(const Call&);
    std::optional<std::string> nextError(const Call&);
    std::optional<std::string> errorCount(const Call&);
    std::optional<std::string> version(const Call&);
    std::optional<std::string> presetStatus(const Call&);

    // command: "Write to and Update DAC channel n", "Write to Input Register n" or "Write to
    // Input Register n, Update All".
    template <Command command>
    std::optional<std::string> setCode(const Call&);
    template <Command command>
    std::optional<std::string> setVolts(const Call&);
    std::optional<std::string> code(const Call&);
    std::optional<std::string> volts(const Call&);
    std::optional<std::string> update(const Call&);
    std::optional<std::string> setDacReference(const Call&);
    std::optional<std::string> dacReference(const Call&);
    std::optional<std::string> internalReference(const Call&);
    std::optional<std::string> resetRegisters(const Call&);
    std::optional<std::string> resetAllRegisters(const Call&);
    std::optional<std::string> powerDown(const Call&);
    std::optional<std::string> ldacMask(const Call&);
    std::optional<std::string> ldacPin(const Call&);
    std::optional<std::string> clrPin(const Call&);
    std::optional<std::string> rawWord(const Call&);
    std::optional<std::string> measure(const Call&);
    std::optional<std::string> setAdcReference(const Call&);
    std::optional<std::string> adcReference(const Call&);
    std::optional<std::string> sweep(const Call&);
    std::optional<std::string> setFormat(const Call&);
    std::optional<std::string> format(const Call&);

    Declare& requests_;
    std::string identity_;
    ScpiStatus status_;
    std::array<uint32_t, 4> codes_{};  // what this session last wrote to each channel
    double dacReference_ = 3;
    double adcReference_ = 3;
    bool binary_ = false;  // FORMat INTeger: sweeps answer a definite-length block
    std::optional<std::vector<SelfTestReading>> selfTestReadings_;
};
