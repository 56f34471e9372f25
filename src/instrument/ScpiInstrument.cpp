#include "instrument/ScpiInstrument.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

#include "board/BoardMarking.h"
#include "board/Declare.h"
#include "command/CodeVoltage.h"
#include "command/ComposedWords.h"
#include "measure/AdcRules.h"
#include "measure/Sweep.h"
#include "scpi/ScpiHeaders.h"
#include "scpi/ScpiStandardCommands.h"
#include "scpi/ScpiValues.h"

namespace {

constexpr int kDacChannels = 4;
constexpr std::string_view kNotANumber = "9.91E+37";
constexpr UnitSuffix kVolts[] = {{"V", 1}, {"MV", 1e-3}, {"UV", 1e-6}};
constexpr UnitSuffix kSeconds[] = {{"S", 1}, {"MS", 1e-3}, {"US", 1e-6}};
constexpr double kDefaultReference = 3;
// A sweep's settling time at most, in seconds.
constexpr double kLongestSettle = 10;

// The shortest text that reads back as value, never in the desktop's notation.
std::string number(double value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return {text.data(), result.ptr};
}

// A reference: a number of volts, 3 by default.
constexpr NumericRange kReferences{1e-6, 1e6, kDefaultReference};
constexpr NumericRange kCodes{0, kFullScaleCode, 0};

double readReference(std::string_view text) {
    return readScpiNumber(text, kVolts, kReferences);
}

void appendBigEndian(std::string& bytes, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (const int shift : {24, 16, 8, 0})
        bytes += static_cast<char>((u >> shift) & 0xFF);
}

// IEEE 488.2's definite-length block: "#", the number of digits of the length, the length,
// the bytes.
std::string definiteBlock(const std::string& bytes) {
    const std::string length = std::to_string(bytes.size());
    return "#" + std::to_string(length.size()) + length + bytes;
}

// A channel list of DAC outputs, (@1,2) for A and B.
std::vector<Channel> dacChannels(std::string_view text) {
    std::vector<Channel> channels;
    for (const int n : readScpiChannels(text, kDacChannels))
        channels.push_back(static_cast<Channel>(n - 1));
    return channels;
}

// The SCPI names of options, in the command table's order.
template <std::size_t n>
std::array<std::string_view, n> scpiNames(const std::array<OptionEntry, n>& options) {
    std::array<std::string_view, n> names{};
    for (std::size_t i = 0; i < n; ++i)
        names[i] = options[i].scpi;
    return names;
}

// The short form of an SCPI name: its capitals and digits.
std::string shortForm(std::string_view name) {
    std::string text;
    for (const char c : name) {
        if (std::isupper(static_cast<unsigned char>(c)) != 0 ||
            std::isdigit(static_cast<unsigned char>(c)) != 0)
            text += c;
    }
    return text;
}

// A set of DAC channels as a channel list: bit n for channel n + 1.
std::string channelList(unsigned mask) {
    std::string list;
    for (int n = 0; n < kDacChannels; ++n) {
        if ((mask >> n & 1) != 0) list += (list.empty() ? "" : ",") + std::to_string(n + 1);
    }
    return "(@" + list + ")";
}

}  // namespace

void ScpiInstrument::RefusalEndsUnit::refused(const BoardRequest& request, int16_t result) {
    throw ScpiError{kRequestRefused, describeFailure(request, result)};
}

struct ScpiInstrument::Call {
    const ProgramUnit& unit;
    std::vector<int> suffixes;
    ScpiClient& client;

    // The parameters, at least fewest and at most most of them.
    const std::vector<std::string>& parameters(std::size_t fewest, std::size_t most) const {
        return checkedParameters(unit, fewest, most);
    }
    const std::string& only() const { return parameters(1, 1)[0]; }
    void none() const { parameters(0, 0); }
    // The limit a query of a setting asks for (SOUR1:CODE? MAX), or nothing when it asks for
    // the setting.
    std::optional<double> limit(const NumericRange& range) const {
        const std::vector<std::string>& given = parameters(0, 1);
        if (given.empty()) return std::nullopt;
        if (const auto value = readScpiLimit(given[0], range)) return value;
        throw ScpiError{kIllegalParameterValue,
                        given[0] + " is not one of MINimum|MAXimum|DEFault"};
    }
};

ScpiInstrument::ScpiInstrument(Declare& requests, std::string identity)
    : requests_(requests), identity_(std::move(identity)) {
    requests_.watch([this](const BoardRequest& request) { board_.sent(request); });
}

ScpiInstrument::~ScpiInstrument() {
    requests_.watch({});
}

bool ScpiInstrument::lock(const ScpiClient& client) {
    if (lockOwner_ != nullptr && lockOwner_ != &client) return false;
    lockOwner_ = &client;
    return true;
}

bool ScpiInstrument::unlock(const ScpiClient& client) {
    if (lockOwner_ != &client) return false;
    lockOwner_ = nullptr;
    return true;
}

std::string ScpiInstrument::identityOf(std::string_view version) {
    return "Halbrook,XT4830R Evaluation Board," + identitySerial() + "," + std::string(version);
}

std::span<const ScpiInstrument::Entry> ScpiInstrument::commands() {
    using I = ScpiInstrument;
    static const Entry kCommands[] = {
        {"*IDN?", &I::identify, false},
        {"*RST", &I::reset, true},
        {"*TST?", &I::selfTest, true},
        {"SOURce#:CODE", &I::setCode<Command::WriteAndUpdate>, true},
        {"SOURce#:CODE?", &I::code, false},
        {"SOURce#:CODE:INPut", &I::setCode<Command::WriteInput>, true},
        {"SOURce#:CODE:UALL", &I::setCode<Command::WriteInputUpdateAll>, true},
        {"SOURce#:VOLTage[:LEVel][:IMMediate][:AMPLitude]", &I::setVolts<Command::WriteAndUpdate>,
         true},
        {"SOURce#:VOLTage[:LEVel][:IMMediate][:AMPLitude]?", &I::volts, false},
        {"SOURce#:VOLTage:INPut", &I::setVolts<Command::WriteInput>, true},
        {"SOURce#:VOLTage:UALL", &I::setVolts<Command::WriteInputUpdateAll>, true},
        {"SOURce#:UPDate", &I::update, true},
        {"SOURce#:SWEep?", &I::sweep, true},
        {"SOURce:REFerence:VOLTage", &I::setDacReference, true},
        {"SOURce:REFerence:VOLTage?", &I::dacReference, false},
        {"SOURce:REFerence:INTernal[:STATe]", &I::internalReference, true},
        {"SOURce:RESet", &I::resetRegisters, true},
        {"SOURce:RESet:ALL", &I::resetAllRegisters, true},
        {"OUTPut:PDOWn", &I::powerDown, true},
        {"OUTPut:LDAC:MASK", &I::ldacMask, true},
        {"OUTPut:LDAC[:LEVel]", &I::ldacPin, true},
        {"OUTPut:CLR[:LEVel]", &I::clrPin, true},
        {"DIAGnostic:WORD", &I::rawWord, true},
        {"DIAGnostic:TST:READings?", &I::selfTestReadings, false},
        {"MEASure:VOLTage[:DC]?", &I::measure, false},
        {"SENSe:VOLTage[:DC]:REFerence", &I::setAdcReference, true},
        {"SENSe:VOLTage[:DC]:REFerence?", &I::adcReference, false},
        {"FORMat[:DATA]", &I::setFormat, false},
        {"FORMat[:DATA]?", &I::format, false},
        {"SOURce:REFerence:INTernal[:STATe]?", &I::internalReferenceQuery, false},
        {"OUTPut:PDOWn?", &I::powerDownMode, false},
        {"OUTPut:LDAC:MASK?", &I::ldacMaskQuery, false},
        {"OUTPut:LDAC[:LEVel]?", &I::ldacPinQuery, false},
        {"OUTPut:CLR[:LEVel]?", &I::clrPinQuery, false},
        {"SYSTem:LOCK:REQuest?", &I::requestLock, false},
        {"SYSTem:LOCK:RELease", &I::releaseLock, false},
        {"SYSTem:LOCK:OWNer?", &I::lockOwner, false},
    };
    return kCommands;
}

std::string ScpiInstrument::execute(std::string_view message, ScpiClient& client) {
    const Declare::PolicyScope scope(requests_, refusals_);
    std::string answer;
    MessageUnits units(message);
    while (const auto parsed = units.next()) {
        if (const auto* error = std::get_if<ScpiError>(&*parsed)) {
            client.status.report(*error);
            continue;
        }
        const auto& unit = std::get<ProgramUnit>(*parsed);
        std::optional<std::string> response;
        try {
            response = run(unit, client);
        } catch (const ScpiError& error) {
            client.status.report(error);
            if (unit.query && error.kind.code == kRequestRefused.code)
                response = std::string(kNotANumber);
        }
        if (!response) continue;
        if (answer.size() + response->size() + 2 > kLongestAnswer) {
            client.status.report({kTooMuchData, "the answer would pass " +
                                                    std::to_string(kLongestAnswer) + " bytes"});
            continue;
        }
        if (!answer.empty()) answer += ';';
        answer += *response;
    }
    if (!answer.empty()) answer += '\n';
    return answer;
}

std::optional<std::string> ScpiInstrument::run(const ProgramUnit& unit, ScpiClient& client) {
    if (auto answer = runStandardCommand(unit, client.status)) return *answer;
    for (const Entry& entry : commands()) {
        auto suffixes = matchHeader(entry.pattern, unit);
        if (!suffixes) continue;
        if (entry.changesBoard && lockOwner_ != nullptr && lockOwner_ != &client)
            throw ScpiError{kLockedByAnother, lockOwner_->name + " holds the lock"};
        return (this->*entry.handler)(Call{unit, std::move(*suffixes), client});
    }
    throw ScpiError{kUndefinedHeader, unit.header};
}

void ScpiInstrument::write(int32_t word) {
    requests_.WriteDacWord(word);
}

int ScpiInstrument::channelOf(const Call& call) const {
    const int n = call.suffixes.at(0);
    if (n < 1 || n > kDacChannels)
        throw ScpiError{kSuffixOutOfRange, call.unit.header + ": channels are 1 to 4"};
    return n - 1;
}

void ScpiInstrument::writeCode(const Call& call, Command command, uint32_t code) {
    const int channel = channelOf(call);
    write(dataWord(command, static_cast<Channel>(channel), static_cast<int32_t>(code)));
}

uint32_t ScpiInstrument::codeFromVolts(const Call& call) const {
    return voltsToCode(readScpiNumber(call.only(), kVolts, {0, dacReference_, 0}), dacReference_);
}

// The common commands.

std::optional<std::string> ScpiInstrument::identify(const Call& call) {
    call.none();
    return identity_;
}

std::optional<std::string> ScpiInstrument::reset(const Call& call) {
    call.none();
    write(optionWord(Command::Reset, ResetChoice::AllRegisters));
    dacReference_ = adcReference_ = kDefaultReference;
    call.client.binary = false;
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::selfTest(const Call& call) {
    call.none();
    // The run goes on past a refused request, as in the window; the first refusal is reported.
    FirstRefusalText refusal;
    const Declare::PolicyScope scope(requests_, refusal);
    const SelfTestResult result = runSelfTest(requests_);
    selfTestReadings_ = result.readings;
    if (refusal.text()) call.client.status.report({kRequestRefused, *refusal.text()});
    return result.pass && !refusal.text() ? "0" : "1";
}

std::optional<std::string> ScpiInstrument::selfTestReadings(const Call& call) {
    call.none();
    if (!selfTestReadings_)
        throw ScpiError{kExecutionError, "no self-test has run; send *TST? first"};
    std::string readings;
    for (const SelfTestReading& r : *selfTestReadings_)
        readings += (readings.empty() ? "" : ",") + number(r.volts);
    return readings;
}

// The DAC's outputs.

template <Command command>
std::optional<std::string> ScpiInstrument::setCode(const Call& call) {
    writeCode(call, command, readScpiWhole(call.only(), kFullScaleCode));
    return std::nullopt;
}

template <Command command>
std::optional<std::string> ScpiInstrument::setVolts(const Call& call) {
    writeCode(call, command, codeFromVolts(call));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::code(const Call& call) {
    if (const auto limit = call.limit(kCodes)) return number(*limit);
    return std::to_string(board_.code(channelOf(call)));
}

std::optional<std::string> ScpiInstrument::volts(const Call& call) {
    if (const auto limit = call.limit(NumericRange{0, dacReference_, 0})) return number(*limit);
    return number(idealVolts(board_.code(channelOf(call)), dacReference_));
}

std::optional<std::string> ScpiInstrument::update(const Call& call) {
    call.none();
    write(dataWord(Command::Update, static_cast<Channel>(channelOf(call)), 0));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::setDacReference(const Call& call) {
    dacReference_ = readReference(call.only());
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::dacReference(const Call& call) {
    if (const auto limit = call.limit(kReferences)) return number(*limit);
    return number(dacReference_);
}

std::optional<std::string> ScpiInstrument::internalReference(const Call& call) {
    const bool on = readScpiBoolean(call.only());
    write(optionWord(Command::InternalReference, on ? ReferenceChoice::On : ReferenceChoice::Off));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::resetRegisters(const Call& call) {
    call.none();
    write(optionWord(Command::Reset, ResetChoice::DacAndInputOnly));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::resetAllRegisters(const Call& call) {
    call.none();
    write(optionWord(Command::Reset, ResetChoice::AllRegisters));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::powerDown(const Call& call) {
    const std::vector<std::string>& given = call.parameters(2, 2);
    const int mode = readScpiChoice(given[0], scpiNames(kPowerDownModes));
    write(panelWord(Command::PowerDown, dacChannels(given[1]), mode));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::ldacMask(const Call& call) {
    write(panelWord(Command::LdacRegister, dacChannels(call.only())));
    return std::nullopt;
}

namespace {

// A pin's level: HIGH or LOW, or a boolean (ON, OFF, 1, 0).
bool readLevel(std::string_view text) {
    const auto levels = scpiNames(kPinLevels);
    const bool named = std::any_of(levels.begin(), levels.end(), [text](std::string_view name) {
        return mnemonicMatches(text, name);
    });
    if (!named) return readScpiBoolean(text);
    return readScpiChoice(text, levels) == 1;
}

}  // namespace

std::optional<std::string> ScpiInstrument::ldacPin(const Call& call) {
    requests_.SetLdacPin(readLevel(call.only()));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::clrPin(const Call& call) {
    requests_.SetClrPin(readLevel(call.only()));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::rawWord(const Call& call) {
    // 24 bits, of which the top two are always 0.
    write(static_cast<int32_t>(readScpiWhole(call.only(), 0x3FFFFF)));
    return std::nullopt;
}

// The board's ADC.

std::optional<std::string> ScpiInstrument::measure(const Call& call) {
    const std::vector<int> inputs = readScpiChannels(call.only(), kMuxInputs);
    if (inputs.empty()) throw ScpiError{kMissingParameter, "no input in the channel list"};
    std::string answer;
    for (const int input : inputs) {
        requests_.SelectMuxChannel(muxMask(input - 1));
        const int32_t count = requests_.ReadAdc();
        answer += (answer.empty() ? "" : ",") + number(adcVolts(count, adcReference_));
    }
    return answer;
}

std::optional<std::string> ScpiInstrument::setAdcReference(const Call& call) {
    adcReference_ = readReference(call.only());
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::adcReference(const Call& call) {
    if (const auto limit = call.limit(kReferences)) return number(*limit);
    return number(adcReference_);
}

std::optional<std::string> ScpiInstrument::sweep(const Call& call) {
    const std::vector<std::string>& given = call.parameters(3, 4);
    SweepSettings settings;
    settings.output = channelOf(call);
    settings.from = static_cast<int32_t>(readScpiWhole(given[0], kFullScaleCode));
    settings.to = static_cast<int32_t>(readScpiWhole(given[1], kFullScaleCode, kFullScaleCode));
    settings.step = static_cast<int32_t>(readScpiWhole(given[2], kFullScaleCode, 1));
    settings.dacReference = dacReference_;
    settings.adcReference = adcReference_;
    if (given.size() == 4) {
        const double seconds = readScpiNumber(given[3], kSeconds, {0, kLongestSettle, 0});
        settings.settle = std::chrono::milliseconds(std::lround(seconds * 1000));
    }
    if (const auto problem = sweepSettingsProblem(settings))
        throw ScpiError{kDataOutOfRange, *problem};
    Sweep run(requests_, settings);
    run.stopWith(call.client.checkpoint);
    std::string values;
    while (!run.done()) {
        call.client.checkpoint();
        const SweepPoint p = run.next();
        if (call.client.binary) {
            appendBigEndian(values, p.code);
            appendBigEndian(values, p.count);
        } else {
            values += (values.empty() ? "" : ",") + std::to_string(p.code) + "," +
                      std::to_string(p.count);
        }
    }
    return call.client.binary ? definiteBlock(values) : values;
}

std::optional<std::string> ScpiInstrument::setFormat(const Call& call) {
    constexpr std::string_view kFormats[] = {"ASCii", "INTeger"};
    const std::vector<std::string>& given = call.parameters(1, 2);
    const bool binary = readScpiChoice(given[0], kFormats) == 1;
    if (given.size() == 2 && (!binary || readScpiWhole(given[1], 64) != 32))
        throw ScpiError{kIllegalParameterValue, "the format takes INTeger,32 or ASCii"};
    call.client.binary = binary;
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::format(const Call& call) {
    call.none();
    return call.client.binary ? "INT,32" : "ASC,0";
}

// What the board was last sent.

std::optional<std::string> ScpiInstrument::internalReferenceQuery(const Call& call) {
    call.none();
    return board_.internalReference() ? "1" : "0";
}

std::optional<std::string> ScpiInstrument::powerDownMode(const Call& call) {
    const std::vector<Channel> channels = dacChannels(call.only());
    std::string modes;
    for (const Channel channel : channels) {
        const auto mode = static_cast<std::size_t>(board_.powerDown(static_cast<int>(channel)));
        modes += (modes.empty() ? "" : ",") + shortForm(kPowerDownModes.at(mode).scpi);
    }
    return modes;
}

std::optional<std::string> ScpiInstrument::ldacMaskQuery(const Call& call) {
    call.none();
    return channelList(board_.ldacMask());
}

std::optional<std::string> ScpiInstrument::ldacPinQuery(const Call& call) {
    call.none();
    return board_.ldacPin() ? "1" : "0";
}

std::optional<std::string> ScpiInstrument::clrPinQuery(const Call& call) {
    call.none();
    return board_.clrPin() ? "1" : "0";
}

// The lock: one client may have the board to itself.

std::optional<std::string> ScpiInstrument::requestLock(const Call& call) {
    call.none();
    return lock(call.client) ? "1" : "0";
}

std::optional<std::string> ScpiInstrument::releaseLock(const Call& call) {
    call.none();
    if (lockOwner_ != nullptr && lockOwner_ != &call.client)
        throw ScpiError{kLockedByAnother, lockOwner_->name + " holds the lock"};
    lockOwner_ = nullptr;
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::lockOwner(const Call& call) {
    call.none();
    return "\"" + (lockOwner_ != nullptr ? lockOwner_->name : std::string("NONE")) + "\"";
}
