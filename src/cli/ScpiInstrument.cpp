#include "cli/ScpiInstrument.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

#include "board/BoardMarking.h"
#include "board/Declare.h"
#include "cli/ScpiHeaders.h"
#include "cli/ScpiValues.h"
#include "cli/Session.h"
#include "cli/StopSignals.h"
#include "command/CodeVoltage.h"
#include "command/ComposedWords.h"
#include "measure/AdcRules.h"
#include "measure/Sweep.h"

namespace {

constexpr int kDacChannels = 4;
constexpr std::string_view kNotANumber = "9.91E+37";
constexpr UnitSuffix kVolts[] = {{"V", 1}, {"MV", 1e-3}, {"UV", 1e-6}};
constexpr UnitSuffix kSeconds[] = {{"S", 1}, {"MS", 1e-3}, {"US", 1e-6}};
constexpr double kDefaultReference = 3;
// A sweep's settling time at most, in seconds.
constexpr double kLongestSettle = 3600;

// The shortest text that reads back as value, never in the desktop's notation.
std::string number(double value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return {text.data(), result.ptr};
}

// A reference: a number of volts above 0.
double readReference(std::string_view text) {
    const double volts = readScpiNumber(text, kVolts);
    if (!(volts > 0 && std::isfinite(volts)))
        throw ScpiError{-222, "a reference must be above 0 V"};
    return volts;
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

}  // namespace

struct ScpiInstrument::Call {
    const ProgramUnit& unit;
    std::vector<int> suffixes;

    // The parameters, at least fewest and at most most of them.
    const std::vector<std::string>& parameters(std::size_t fewest, std::size_t most) const {
        const std::vector<std::string>& given = unit.parameters;
        if (given.size() < fewest) throw ScpiError{-109, unit.header};
        if (given.size() > most) throw ScpiError{-108, unit.header + " " + given[most]};
        return given;
    }
    const std::string& only() const { return parameters(1, 1)[0]; }
    void none() const { parameters(0, 0); }
};

ScpiInstrument::ScpiInstrument(Declare& requests, std::string identity)
    : requests_(requests), identity_(std::move(identity)) {}

std::string ScpiInstrument::identityOf(std::string_view version) {
    return "Halbrook,XT4830R Evaluation Board," + identitySerial() + "," + std::string(version);
}

std::span<const ScpiInstrument::Entry> ScpiInstrument::commands() {
    using I = ScpiInstrument;
    static const Entry kCommands[] = {
        {"*IDN?", &I::identify},
        {"*RST", &I::reset},
        {"*CLS", &I::clearStatus},
        {"*ESE", &I::setEventEnable},
        {"*ESE?", &I::eventEnable},
        {"*ESR?", &I::events},
        {"*OPC", &I::operationComplete},
        {"*OPC?", &I::operationCompleteQuery},
        {"*SRE", &I::setServiceEnable},
        {"*SRE?", &I::serviceEnable},
        {"*STB?", &I::statusByte},
        {"*WAI", &I::wait},
        {"*TST?", &I::selfTest},
        {"SYSTem:ERRor[:NEXT]?", &I::nextError},
        {"SYSTem:ERRor:COUNt?", &I::errorCount},
        {"SYSTem:VERSion?", &I::version},
        {"STATus:PRESet", &I::presetStatus},
        {"SOURce#:CODE", &I::setCode<Command::WriteAndUpdate>},
        {"SOURce#:CODE?", &I::code},
        {"SOURce#:CODE:INPut", &I::setCode<Command::WriteInput>},
        {"SOURce#:CODE:UALL", &I::setCode<Command::WriteInputUpdateAll>},
        {"SOURce#:VOLTage[:LEVel][:IMMediate][:AMPLitude]", &I::setVolts<Command::WriteAndUpdate>},
        {"SOURce#:VOLTage[:LEVel][:IMMediate][:AMPLitude]?", &I::volts},
        {"SOURce#:VOLTage:INPut", &I::setVolts<Command::WriteInput>},
        {"SOURce#:VOLTage:UALL", &I::setVolts<Command::WriteInputUpdateAll>},
        {"SOURce#:UPDate", &I::update},
        {"SOURce#:SWEep?", &I::sweep},
        {"SOURce:REFerence:VOLTage", &I::setDacReference},
        {"SOURce:REFerence:VOLTage?", &I::dacReference},
        {"SOURce:REFerence:INTernal[:STATe]", &I::internalReference},
        {"SOURce:RESet", &I::resetRegisters},
        {"SOURce:RESet:ALL", &I::resetAllRegisters},
        {"OUTPut:PDOWn", &I::powerDown},
        {"OUTPut:LDAC:MASK", &I::ldacMask},
        {"OUTPut:LDAC[:LEVel]", &I::ldacPin},
        {"OUTPut:CLR[:LEVel]", &I::clrPin},
        {"DIAGnostic:WORD", &I::rawWord},
        {"DIAGnostic:TST:READings?", &I::selfTestReadings},
        {"MEASure:VOLTage[:DC]?", &I::measure},
        {"SENSe:VOLTage[:DC]:REFerence", &I::setAdcReference},
        {"SENSe:VOLTage[:DC]:REFerence?", &I::adcReference},
        {"FORMat[:DATA]", &I::setFormat},
        {"FORMat[:DATA]?", &I::format},
    };
    return kCommands;
}

std::string ScpiInstrument::execute(std::string_view message) {
    std::string answer;
    for (const auto& parsed : parseMessage(message)) {
        if (const auto* error = std::get_if<ScpiError>(&parsed)) {
            status_.report(*error);
            continue;
        }
        const auto& unit = std::get<ProgramUnit>(parsed);
        std::optional<std::string> response;
        try {
            response = run(unit);
        } catch (const ScpiError& error) {
            status_.report(error);
        } catch (const RequestFailed& refused) {
            status_.report({kRequestRefused, refused.what()});
            if (unit.query) response = std::string(kNotANumber);
        }
        if (!response) continue;
        if (!answer.empty()) answer += ';';
        answer += *response;
    }
    if (!answer.empty()) answer += '\n';
    return answer;
}

std::optional<std::string> ScpiInstrument::run(const ProgramUnit& unit) {
    for (const Entry& entry : commands()) {
        if (auto suffixes = matchHeader(entry.pattern, unit))
            return (this->*entry.handler)(Call{unit, std::move(*suffixes)});
    }
    throw ScpiError{-113, unit.header};
}

void ScpiInstrument::write(int32_t word) {
    requests_.WriteDacWord(word);
}

void ScpiInstrument::resetPart(ResetChoice choice) {
    write(optionWord(Command::Reset, choice));
    // Both resets bring the DAC registers back to zero scale.
    codes_ = {};
}

int ScpiInstrument::channelOf(const Call& call) const {
    const int n = call.suffixes.at(0);
    if (n < 1 || n > kDacChannels)
        throw ScpiError{-114, call.unit.header + ": channels are 1 to 4"};
    return n - 1;
}

void ScpiInstrument::writeCode(const Call& call, Command command, uint32_t code) {
    const int channel = channelOf(call);
    write(dataWord(command, static_cast<Channel>(channel), static_cast<int32_t>(code)));
    codes_[static_cast<std::size_t>(channel)] = code;
}

uint32_t ScpiInstrument::codeFromVolts(const Call& call) const {
    const std::string& text = call.only();
    const double volts = readScpiNumber(text, kVolts);
    if (!(volts >= 0 && volts <= dacReference_)) {
        throw ScpiError{-222,
                        text + " is outside 0 to the reference " + number(dacReference_) + " V"};
    }
    return voltsToCode(volts, dacReference_);
}

// The common commands.

std::optional<std::string> ScpiInstrument::identify(const Call& call) {
    call.none();
    return identity_;
}

std::optional<std::string> ScpiInstrument::reset(const Call& call) {
    call.none();
    resetPart(ResetChoice::AllRegisters);
    dacReference_ = adcReference_ = kDefaultReference;
    binary_ = false;
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::clearStatus(const Call& call) {
    call.none();
    status_.clear();
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::setEventEnable(const Call& call) {
    status_.eventEnable = static_cast<uint8_t>(readScpiWhole(call.only(), 255));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::eventEnable(const Call& call) {
    call.none();
    return std::to_string(status_.eventEnable);
}

std::optional<std::string> ScpiInstrument::events(const Call& call) {
    call.none();
    return std::to_string(status_.takeEvents());
}

std::optional<std::string> ScpiInstrument::operationComplete(const Call& call) {
    call.none();
    // Every command has finished when the next is read.
    status_.setEvent(ScpiStatus::kOperationComplete);
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::operationCompleteQuery(const Call& call) {
    call.none();
    return "1";
}

std::optional<std::string> ScpiInstrument::setServiceEnable(const Call& call) {
    constexpr uint32_t kSummaryBit = 1 << 6;
    status_.serviceEnable = static_cast<uint8_t>(readScpiWhole(call.only(), 255) & ~kSummaryBit);
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::serviceEnable(const Call& call) {
    call.none();
    return std::to_string(status_.serviceEnable);
}

std::optional<std::string> ScpiInstrument::statusByte(const Call& call) {
    call.none();
    return std::to_string(status_.statusByte());
}

std::optional<std::string> ScpiInstrument::wait(const Call& call) {
    call.none();
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::selfTest(const Call& call) {
    call.none();
    // The run goes on past a refused request, as in the window; the first refusal is reported.
    FirstRefusalText refusal;
    const Declare::PolicyScope scope(requests_, refusal);
    const SelfTestResult result = runSelfTest(requests_);
    selfTestReadings_ = result.readings;
    if (refusal.text()) status_.report({kRequestRefused, *refusal.text()});
    return result.pass && !refusal.text() ? "0" : "1";
}

std::optional<std::string> ScpiInstrument::selfTestReadings(const Call& call) {
    call.none();
    if (!selfTestReadings_) throw ScpiError{-200, "no self-test has run; send *TST? first"};
    std::string readings;
    for (const SelfTestReading& r : *selfTestReadings_)
        readings += (readings.empty() ? "" : ",") + number(r.volts);
    return readings;
}

// SCPI's required commands.

std::optional<std::string> ScpiInstrument::nextError(const Call& call) {
    call.none();
    return status_.nextError();
}

std::optional<std::string> ScpiInstrument::errorCount(const Call& call) {
    call.none();
    return std::to_string(status_.errorCount());
}

std::optional<std::string> ScpiInstrument::version(const Call& call) {
    call.none();
    return "1999.0";
}

std::optional<std::string> ScpiInstrument::presetStatus(const Call& call) {
    // The board has no operation or questionable conditions to enable.
    call.none();
    return std::nullopt;
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
    call.none();
    return std::to_string(codes_[static_cast<std::size_t>(channelOf(call))]);
}

std::optional<std::string> ScpiInstrument::volts(const Call& call) {
    call.none();
    return number(idealVolts(codes_[static_cast<std::size_t>(channelOf(call))], dacReference_));
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
    call.none();
    return number(dacReference_);
}

std::optional<std::string> ScpiInstrument::internalReference(const Call& call) {
    const bool on = readScpiBoolean(call.only());
    write(optionWord(Command::InternalReference, on ? ReferenceChoice::On : ReferenceChoice::Off));
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::resetRegisters(const Call& call) {
    call.none();
    resetPart(ResetChoice::DacAndInputOnly);
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::resetAllRegisters(const Call& call) {
    call.none();
    resetPart(ResetChoice::AllRegisters);
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::powerDown(const Call& call) {
    constexpr std::string_view kModes[] = {"NORMal", "R1K", "R100K", "TSTate"};
    const std::vector<std::string>& given = call.parameters(2, 2);
    const int mode = readScpiChoice(given[0], kModes);
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
    constexpr std::string_view kLevels[] = {"LOW", "HIGH", "OFF", "ON"};
    if (std::isalpha(static_cast<unsigned char>(text.front())) == 0) return readScpiBoolean(text);
    return readScpiChoice(text, kLevels) % 2 == 1;
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
    if (inputs.empty()) throw ScpiError{-109, "no input in the channel list"};
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
    call.none();
    return number(adcReference_);
}

std::optional<std::string> ScpiInstrument::sweep(const Call& call) {
    const std::vector<std::string>& given = call.parameters(3, 4);
    SweepSettings settings;
    settings.output = channelOf(call);
    settings.from = static_cast<int32_t>(readScpiWhole(given[0], kFullScaleCode));
    settings.to = static_cast<int32_t>(readScpiWhole(given[1], kFullScaleCode));
    settings.step = static_cast<int32_t>(readScpiWhole(given[2], kFullScaleCode));
    settings.dacReference = dacReference_;
    settings.adcReference = adcReference_;
    if (given.size() == 4) {
        const double seconds = readScpiNumber(given[3], kSeconds);
        if (!(seconds >= 0 && seconds <= kLongestSettle))
            throw ScpiError{-222, "the settling time must lie from 0 to 3600 s"};
        settings.settle = std::chrono::milliseconds(std::lround(seconds * 1000));
    }
    if (const auto problem = sweepSettingsProblem(settings)) throw ScpiError{-222, *problem};
    Sweep run(requests_, settings);
    std::string values;
    while (!run.done()) {
        stopIfAsked();
        const SweepPoint p = run.next();
        if (binary_) {
            appendBigEndian(values, p.code);
            appendBigEndian(values, p.count);
        } else {
            values += (values.empty() ? "" : ",") + std::to_string(p.code) + "," +
                      std::to_string(p.count);
        }
    }
    return binary_ ? definiteBlock(values) : values;
}

std::optional<std::string> ScpiInstrument::setFormat(const Call& call) {
    constexpr std::string_view kFormats[] = {"ASCii", "INTeger"};
    const std::vector<std::string>& given = call.parameters(1, 2);
    const bool binary = readScpiChoice(given[0], kFormats) == 1;
    if (given.size() == 2 && (!binary || readScpiWhole(given[1], 64) != 32))
        throw ScpiError{-224, "the format takes INTeger,32 or ASCii"};
    binary_ = binary;
    return std::nullopt;
}

std::optional<std::string> ScpiInstrument::format(const Call& call) {
    call.none();
    return binary_ ? "INT,32" : "ASC,0";
}
