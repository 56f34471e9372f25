#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/FailurePolicy.h"
#include "instrument/BoardState.h"
#include "instrument/ScpiClient.h"
#include "measure/SelfTestSequence.h"
#include "scpi/ScpiParser.h"

class Declare;

// The board's own errors: it refused a request (the detail names the request and the
// result); another client holds the lock.
inline constexpr ScpiErrorKind kRequestRefused{1, "Board refused the request"};
inline constexpr ScpiErrorKind kLockedByAnother{2, "Locked by another client"};

// The evaluation board as an SCPI instrument shared by its clients: IEEE 488.2's common
// commands, SCPI's required ones and the board's own, each composing exactly the words the
// window composes. A unit that fails a check sends nothing to the board; every error goes to
// its client's queue. One client may take the lock; the others' commands that would change the
// board are then refused, their queries still answer.
class ScpiInstrument {
public:
    // Every answer ends within this many bytes; a query that would go past it answers nothing.
    static constexpr std::size_t kLongestAnswer = 16 * 1024 * 1024;

    // identity: *IDN?'s answer.
    ScpiInstrument(Declare& requests, std::string identity);
    ~ScpiInstrument();
    ScpiInstrument(const ScpiInstrument&) = delete;
    ScpiInstrument& operator=(const ScpiInstrument&) = delete;

    // Runs every unit of one message of client and gives the answers of its queries as one line
    // (";" between them, LF at the end), or nothing when no query answered. A query whose
    // request the board refuses answers 9.91E+37, SCPI's "not a number", so no client waits in
    // vain. Cancelled from the client's checkpoint passes through.
    std::string execute(std::string_view message, ScpiClient& client);
    // The client has gone: a lock it held is released.
    void forget(const ScpiClient& client) { unlock(client); }
    // The lock, as SYSTem:LOCK takes and gives it: whether client has it now (it had it, or
    // nobody did); whether client had it and gave it back.
    bool lock(const ScpiClient& client);
    bool unlock(const ScpiClient& client);

    // *IDN?: maker, model, serial number (0: the board tells none) and the software version.
    static std::string identityOf(std::string_view version);

private:
    struct Call;
    using Handler = std::optional<std::string> (ScpiInstrument::*)(const Call&);
    struct Entry {
        std::string_view pattern;
        Handler handler;
        bool changesBoard;  // refused while another client holds the lock
    };
    static std::span<const Entry> commands();

    std::optional<std::string> run(const ProgramUnit& unit, ScpiClient& client);
    void write(int32_t word);
    int channelOf(const Call& call) const;
    void writeCode(const Call& call, Command command, uint32_t code);
    uint32_t codeFromVolts(const Call& call) const;

    std::optional<std::string> identify(const Call&);
    std::optional<std::string> reset(const Call&);
    std::optional<std::string> selfTest(const Call&);
    std::optional<std::string> selfTestReadings(const Call&);

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
    std::optional<std::string> powerDownMode(const Call&);
    std::optional<std::string> ldacMask(const Call&);
    std::optional<std::string> ldacMaskQuery(const Call&);
    std::optional<std::string> ldacPin(const Call&);
    std::optional<std::string> ldacPinQuery(const Call&);
    std::optional<std::string> clrPin(const Call&);
    std::optional<std::string> clrPinQuery(const Call&);
    std::optional<std::string> internalReferenceQuery(const Call&);
    std::optional<std::string> requestLock(const Call&);
    std::optional<std::string> releaseLock(const Call&);
    std::optional<std::string> lockOwner(const Call&);
    std::optional<std::string> rawWord(const Call&);
    std::optional<std::string> measure(const Call&);
    std::optional<std::string> setAdcReference(const Call&);
    std::optional<std::string> adcReference(const Call&);
    std::optional<std::string> sweep(const Call&);
    std::optional<std::string> setFormat(const Call&);
    std::optional<std::string> format(const Call&);

    // A refused request ends its unit: the unit reports it.
    class RefusalEndsUnit : public FailurePolicy {
    public:
        void refused(const BoardRequest& request, int16_t result) override;
    };

    Declare& requests_;
    std::string identity_;
    RefusalEndsUnit refusals_;
    BoardState board_;
    double dacReference_ = 3;
    double adcReference_ = 3;
    const ScpiClient* lockOwner_ = nullptr;
    std::optional<std::vector<SelfTestReading>> selfTestReadings_;
};
