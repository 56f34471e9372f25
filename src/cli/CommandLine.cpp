#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>

#include "board/Board.h"
#include "board/BoardMarking.h"
#include "board/Deliverable.h"
#include "board/ProgramDirectory.h"
#include "cli/ConsoleDialogs.h"
#include "cli/ValueReading.h"
#include "command/CommandWord.h"
#include "command/NumberReading.h"
#include "measure/ResultTables.h"

namespace {

// The names a panel's options go by, for CLI11's check.
std::vector<std::string> optionNameList(std::span<const OptionEntry> options) {
    std::vector<std::string> names;
    for (const OptionEntry& option : options)
        names.emplace_back(option.name);
    return names;
}

// The words of every subcommand, as given; read and checked once the line is parsed.
struct Words {
    std::string channel, value, vref = "3", channels, mode, onOff, word, pin, level;
    std::string from = "0", to = "0xFFFF", step = "0x100";
    std::string count = "1", interval = "1", settleMs = "0", file;
    std::string plan = "grid", stride = "64", samples = "256", dither = "0";
    std::string line = "least-squares", fitRange = "10-90", order = "ascending";
    std::array<std::string, 5> adc;  // the board ADC's accuracy; empty: its default
    // The meter's set-up; empty: its default, given only with a meter.
    std::string meter, meterRange, meterNplc, meterAutoZero, meterAccuracy;
    std::string calibration, save, checkSamples = "16", checkStride = "1", meterEvery = "256";
    std::string checkRange = "2-98";
    std::vector<std::string> limits;
    bool inputOnly = false, updateAll = false, all = false, json = false;
};

template <std::size_t N>
std::vector<std::string> nameList(const std::array<const char*, N>& names) {
    return {names.begin(), names.end()};
}

// The index of text among names, which CLI11 has checked it is one of.
template <std::size_t N>
int indexOfName(const std::array<const char*, N>& names, const std::string& text) {
    return static_cast<int>(std::find(names.begin(), names.end(), text) - names.begin());
}

// An external meter reads the output instead of the board's ADC.
void addMeterOptions(CLI::App* c, Words& w) {
    c->add_option("--meter", w.meter,
                  "read with this SCPI meter: TCPIP::HOST::PORT::SOCKET, TCPIP::HOST::INSTR, "
                  "USB::/dev/usbtmcN::INSTR or ASRL/dev/ttyX::INSTR[::BAUD]");
    c->add_option("--meter-range", w.meterRange, "the meter's DC range in volts (default 10)");
    c->add_option("--meter-nplc", w.meterNplc,
                  "its integration time in power-line cycles (default 1)");
    c->add_option("--meter-autozero", w.meterAutoZero, "on (default) or off")
        ->check(CLI::IsMember({"on", "off"}));
    c->add_option("--meter-accuracy", w.meterAccuracy,
                  "PPM_OF_READING,PPM_OF_RANGE from its data sheet for the range (default: "
                  "not stated, left out of every uncertainty)");
}

// The board ADC's stated accuracy, each term a limit.
void addAdcAccuracyOptions(CLI::App* c, Words& w) {
    const AdcAccuracy typical;
    const auto limit = [&](const char* name, std::string& word, double value, const char* unit) {
        c->add_option(
            name, word,
            std::string("the board ADC's stated ") + unit + " (default " + fixed(value, 2) + ")");
    };
    limit("--adc-offset", w.adc[0], typical.offsetCounts, "offset in counts");
    limit("--adc-gain", w.adc[1], typical.gainPercent, "gain error in % of full scale");
    limit("--adc-inl", w.adc[2], typical.inlCounts, "INL in counts");
    limit("--adc-dnl", w.adc[3], typical.dnlCounts, "DNL in counts");
    limit("--adc-ref-tolerance", w.adc[4], typical.referencePercent, "reference tolerance in %");
}

void addCalibrationOption(CLI::App* c, Words& w) {
    c->add_option("--adc-calibration", w.calibration,
                  "correct the board ADC's readings with this calibration from adc-check --save");
}

void addAdcCheck(CLI::App& app, Words& w) {
    auto* c = app.add_subcommand(
        "adc-check", "The board ADC's offset, gain, INL and DNL against an external meter");
    c->add_option("CHANNEL", w.channel, "A, B, C or D: the output the meter is wired to")
        ->required();
    c->add_option("--range", w.checkRange, "LOW-HIGH in % of the DAC's full scale (default 2-98)");
    c->add_option("--stride", w.checkStride, "DAC codes between steps (default 1)");
    c->add_option("--samples", w.checkSamples, "ADC readings per step (default 16)");
    c->add_option("--meter-every", w.meterEvery, "DAC codes between meter points (default 256)");
    c->add_option("--vref", w.vref, "the DAC's reference in volts (default 3)");
    c->add_option("--settle-ms", w.settleMs, "wait after each write (default 0)");
    c->add_option("--save", w.save, "write the calibration to FILE (JSON), whole or not at all");
    addAdcAccuracyOptions(c, w);
    addMeterOptions(c, w);
}

void addCharacterise(CLI::App& app, Words& w) {
    auto* c = app.add_subcommand(
        "characterise", "Offset, gain, INL, DNL and monotonicity of a channel, with uncertainties");
    c->add_option("CHANNEL", w.channel, "A, B, C or D")->required();
    c->add_option("--plan", w.plan,
                  "grid (default), carries (pairs across 2^k), window (--from to --to) or all")
        ->check(CLI::IsMember(nameList(kPlanNames)));
    c->add_option("--stride", w.stride, "the grid's code step (default 64)");
    c->add_option("--from", w.from, "the window's first code (default 0)");
    c->add_option("--to", w.to, "the window's last code (default 0xFFFF)");
    c->add_option("--samples", w.samples, "readings averaged per code (default 256)");
    c->add_option("--dither", w.dither, "spread each code's readings over +/- D codes (default 0)");
    c->add_option("--line", w.line, "least-squares (default) or end-point")
        ->check(CLI::IsMember(nameList(kLineNames)));
    c->add_option("--fit-range", w.fitRange, "LOW-HIGH in % of full scale (default 10-90)");
    c->add_option("--order", w.order, "ascending (default) or shuffled codes")
        ->check(CLI::IsMember({"ascending", "shuffled"}));
    c->add_option("--vref", w.vref, "the DAC's reference in volts (default 3)");
    c->add_option("--settle-ms", w.settleMs, "wait after each write (default 0)");
    c->add_flag("--json", w.json, "one JSON object with every figure and its uncertainty");
    addAdcAccuracyOptions(c, w);
    addMeterOptions(c, w);
    addCalibrationOption(c, w);
    c->add_option("--limit", w.limits,
                  "NAME=VALUE, a data-sheet limit on a figure's size (repeatable): offset-mv, "
                  "gain-pct, zero-mv, full-scale-mv, inl-lsb, dnl-lsb or tue-lsb; the exit "
                  "status is then 0 PASS, 5 FAIL, 6 INDETERMINATE");
}

// The meter's accuracy: "PPM_OF_READING,PPM_OF_RANGE".
MeterAccuracy readMeterAccuracy(const std::string& text) {
    const std::size_t comma = text.find(',');
    const auto reading = readStrictDecimal(text.substr(0, comma));
    const auto range =
        comma == std::string::npos ? std::nullopt : readStrictDecimal(text.substr(comma + 1));
    if (!reading || !range) {
        throw BadInput("the meter's accuracy is PPM_OF_READING,PPM_OF_RANGE, not \"" + text + "\"");
    }
    return {*reading, *range};
}

// The meter's settings, or none when no meter is given.
std::optional<MeterSettings> readMeterSettings(const Words& w) {
    if (w.meter.empty()) {
        for (const std::string* word :
             {&w.meterRange, &w.meterNplc, &w.meterAutoZero, &w.meterAccuracy}) {
            if (!word->empty()) {
                throw BadInput(
                    "--meter-range, --meter-nplc, --meter-autozero and "
                    "--meter-accuracy set up a meter: give --meter RESOURCE too");
            }
        }
        return std::nullopt;
    }
    MeterSettings m;
    m.resource = w.meter;
    std::string problem;
    if (!parseMeterResource(w.meter, problem)) throw BadInput(problem);
    const auto range = w.meterRange.empty() ? m.rangeVolts : readStrictDecimal(w.meterRange);
    const auto nplc = w.meterNplc.empty() ? m.nplc : readStrictDecimal(w.meterNplc);
    if (!range || !nplc) throw BadInput("the meter's range and integration time are numbers");
    m.rangeVolts = *range;
    m.nplc = *nplc;
    m.autoZero = w.meterAutoZero != "off";
    if (!w.meterAccuracy.empty()) m.accuracy = readMeterAccuracy(w.meterAccuracy);
    if (const auto bad = meterSettingsProblem(m)) throw BadInput(*bad);
    return m;
}

// The board ADC's accuracy: each limit given, or its default.
AdcAccuracy readAdcAccuracy(const std::array<std::string, 5>& words) {
    AdcAccuracy a;
    const std::array<double*, 5> limits{&a.offsetCounts, &a.gainPercent, &a.inlCounts, &a.dnlCounts,
                                        &a.referencePercent};
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].empty()) continue;
        const auto value = readStrictDecimal(words[i]);
        if (!value) throw BadInput("ADC accuracy \"" + words[i] + "\" is not a number");
        *limits[i] = *value;
    }
    return a;
}

void addSubcommands(CLI::App& app, Words& w) {
    auto* write = app.add_subcommand("write", "Write a code or a voltage to a DAC channel");
    write->add_option("CHANNEL", w.channel, "A, B, C, D or all")->required();
    write->add_option("VALUE", w.value, "a code (0x8000, 8000h, 32768) or volts (1.5V)")
        ->required();
    write->add_option("--vref", w.vref, "the DAC's reference in volts, for a voltage (default 3)");
    auto* inputOnly =
        write->add_flag("--input-only", w.inputOnly, "Write to Input Register n (no update)");
    write->add_flag("--update-all", w.updateAll, "Write to Input Register n, Update All")
        ->excludes(inputOnly);

    app.add_subcommand("update", "Update DAC Register n from its input register")
        ->add_option("CHANNEL", w.channel, "A, B, C, D or all")
        ->required();

    auto* powerDown = app.add_subcommand("power-down", "Power channels down or up");
    powerDown->add_option("CHANNELS", w.channels, "e.g. A,B or all")->required();
    powerDown->add_option("--mode", w.mode, optionNames(kPowerDownModes))->required();

    app.add_subcommand("reset", "Reset the DAC and input registers")
        ->add_flag(std::string("--") + kResetChoices[index(ResetChoice::AllRegisters)].name, w.all,
                   "reset every register to power-on");
    app.add_subcommand("ldac-mask", "Channels that update whatever the LDAC pin does")
        ->add_option("CHANNELS", w.channels, "e.g. A,C, all or none")
        ->required();
    app.add_subcommand("reference", "Internal reference on or off")
        ->add_option("STATE", w.onOff, "on or off")
        ->required()
        ->check(CLI::IsMember(optionNameList(kReferenceChoices)));
    app.add_subcommand("word", "Send a raw 24-bit command word")
        ->add_option("WORD", w.word, "e.g. 0x198000")
        ->required();

    auto* pin = app.add_subcommand("pin", "Drive the LDAC or CLR pin");
    pin->add_option("PIN", w.pin, "ldac or clr")->required()->check(CLI::IsMember({"ldac", "clr"}));
    pin->add_option("LEVEL", w.level, "low or high")
        ->required()
        ->check(CLI::IsMember(optionNameList(kPinLevels)));

    auto* read = app.add_subcommand("read", "Read an output back through the board's ADC");
    read->add_option("INPUT", w.channel, "A to H, or all: every input, one row each")->required();
    read->add_option("--vref", w.vref, "the ADC's reference in volts (default 3.0)");
    read->add_option("--count", w.count, "samples to take (default 1; 0: until stopped)");
    read->add_option("--interval", w.interval, "seconds between samples (default 1)");
    read->add_option("-o,--output", w.file, "append the rows to FILE instead");
    addMeterOptions(read, w);
    addCalibrationOption(read, w);

    app.add_subcommand("selftest", "The board self-test, every reading beside its window");

    auto* sweep = app.add_subcommand("sweep", "Write each code of a range and read it back");
    sweep->add_option("CHANNEL", w.channel, "A, B, C or D")->required();
    sweep->add_option("--from", w.from, "first code (default 0)");
    sweep->add_option("--to", w.to, "last code (default 0xFFFF)");
    sweep->add_option("--step", w.step, "code step (default 0x100)");
    sweep->add_option("--settle-ms", w.settleMs, "wait between a write and its read (default 0)");
    sweep->add_option("--vref", w.vref, "the DAC's reference in volts (default 3)");
    addMeterOptions(sweep, w);
    addCalibrationOption(sweep, w);
    addCharacterise(app, w);
    addAdcCheck(app, w);
}

// Bounds that keep a typing slip from scheduling a sample for the next century.
constexpr uint32_t kMostSamples = 1000000000;
constexpr double kLongestWait = 86400;  // a day, in seconds

// A raw command word: 24 bits, of which the top two are always 0.
uint32_t readCommandWord(const std::string& text) {
    const uint32_t word = readNumber(text, 0xFFFFFFFF, "command word");
    if (word > kLargestCommandWord) {
        throw BadInput("command word \"" + text +
                       "\" is above 0x3fffff: bits 23 and 22 of a command word are always 0");
    }
    return word;
}

// The calibration named, read and checked; none when none is named.
std::optional<AdcCalibration> readAdcCalibration(const Words& w) {
    if (w.calibration.empty()) return std::nullopt;
    if (const auto problem = calibrationUseProblem(true, !w.meter.empty()))
        throw BadInput(*problem);
    std::string problem;
    auto calibration = readCalibration(w.calibration, problem);
    if (!calibration) throw BadInput(problem);
    return calibration;
}

AdcCheckSettings adcCheckSettings(const Words& w) {
    AdcCheckSettings s;
    s.output = index(readChannel(w.channel));
    std::tie(s.lowPercent, s.highPercent) = readFitRange(w.checkRange);
    s.stride = static_cast<int32_t>(readNumber(w.checkStride, 0xFFFF, "stride"));
    s.samples = static_cast<int32_t>(readNumber(w.checkSamples, 1000000, "samples"));
    s.meterEvery = static_cast<int32_t>(readNumber(w.meterEvery, 0xFFFF, "meter points"));
    s.dacReference = readReference(w.vref);
    s.settle = std::chrono::milliseconds(readNumber(w.settleMs, 3600000, "settling time"));
    s.adc = readAdcAccuracy(w.adc);
    const auto meter = readMeterSettings(w);
    if (!meter) throw BadInput("adc-check reads the output with a meter: give --meter RESOURCE");
    s.meter = *meter;
    if (const auto problem = adcCheckSettingsProblem(s)) throw BadInput(*problem);
    return s;
}

SweepSettings sweepSettings(const Words& w) {
    SweepSettings s;
    s.output = index(readChannel(w.channel));
    s.from = static_cast<int32_t>(readNumber(w.from, 0xFFFF, "code"));
    s.to = static_cast<int32_t>(readNumber(w.to, 0xFFFF, "code"));
    s.step = static_cast<int32_t>(readNumber(w.step, 0xFFFF, "step"));
    s.dacReference = readReference(w.vref);
    s.settle = std::chrono::milliseconds(readNumber(w.settleMs, 3600000, "settling time"));
    if (const auto problem = sweepSettingsProblem(s)) throw BadInput(*problem);
    return s;
}

CharacteriseSettings characteriseSettings(const Words& w) {
    CharacteriseSettings s;
    s.output = index(readChannel(w.channel));
    s.plan = static_cast<PlanKind>(indexOfName(kPlanNames, w.plan));
    s.stride = static_cast<int32_t>(readNumber(w.stride, 0xFFFF, "stride"));
    s.from = static_cast<int32_t>(readNumber(w.from, 0xFFFF, "code"));
    s.to = static_cast<int32_t>(readNumber(w.to, 0xFFFF, "code"));
    s.samples = static_cast<int32_t>(readNumber(w.samples, 1000000, "samples"));
    s.dither = static_cast<int32_t>(readNumber(w.dither, 4096, "dither"));
    s.shuffled = w.order == "shuffled";
    s.line = static_cast<FitLine>(indexOfName(kLineNames, w.line));
    std::tie(s.fitLowPercent, s.fitHighPercent) = readFitRange(w.fitRange);
    s.dacReference = readReference(w.vref);
    s.settle = std::chrono::milliseconds(readNumber(w.settleMs, 3600000, "settling time"));
    s.adc = readAdcAccuracy(w.adc);
    s.meter = readMeterSettings(w);
    s.calibration = readAdcCalibration(w);
    for (const std::string& text : w.limits) {
        std::string problem;
        const auto limit = parseLimit(text, problem);
        if (!limit) throw BadInput(problem);
        s.limits.push_back(*limit);
    }
    if (const auto problem = characteriseSettingsProblem(s)) throw BadInput(*problem);
    return s;
}

// The action of the subcommand the parse chose, with its words read and checked.
Action actionFor(const CLI::App& app, const Words& w) {
    const std::string name = app.get_subcommands().at(0)->get_name();
    if (name == "write") {
        const Command command = w.inputOnly   ? Command::WriteInput
                                : w.updateAll ? Command::WriteInputUpdateAll
                                              : Command::WriteAndUpdate;
        return writeCode(command, readChannel(w.channel), readDataValue(w.value, w.vref));
    }
    if (name == "update") return updateChannel(readChannel(w.channel));
    if (name == "power-down")
        return powerDown(readChannelList(w.channels), readPowerDownMode(w.mode));
    if (name == "reset")
        return resetRegisters(w.all ? ResetChoice::AllRegisters : ResetChoice::DacAndInputOnly);
    if (name == "ldac-mask") return ldacMask(readChannelList(w.channels));
    if (name == "reference") {
        return internalReference(static_cast<ReferenceChoice>(
            readOptionName(kReferenceChoices, w.onOff, "reference state")));
    }
    if (name == "word") return rawWord(readCommandWord(w.word));
    if (name == "pin") return setPin(w.pin == "ldac", w.level == "high");
    if (name == "read") {
        return sampleInput(
            {readInputs(w.channel), readReference(w.vref),
             readNumber(w.count, kMostSamples, "count"),
             std::chrono::duration<double>(readSeconds(w.interval, kLongestWait, "interval")),
             w.file, readMeterSettings(w), readAdcCalibration(w)});
    }
    if (name == "selftest") return selfTest();
    if (name == "characterise") return characterise(characteriseSettings(w), w.json);
    if (name == "adc-check") return adcCheck(adcCheckSettings(w), w.save);
    return sweep(sweepSettings(w), readMeterSettings(w), readAdcCalibration(w));
}

// CLI11 takes the words of a line last first.
void parseWords(CLI::App& app, const std::vector<std::string>& words) {
    std::vector<std::string> reversed(words.rbegin(), words.rend());
    app.parse(reversed);
}

// What was wrong with the words, in the user's terms: the option or subcommand that is not
// known by its name, else CLI11's own account.
std::string parseProblem(const CLI::App& app, const CLI::ParseError& error) {
    const std::vector<std::string> extra = app.remaining();
    if (extra.empty()) return error.what();
    const std::string& first = extra.front();
    if (first.starts_with('-')) return "unknown option \"" + first + "\"";
    if (app.get_subcommands().empty()) return "unknown subcommand \"" + first + "\"";
    return "unexpected argument \"" + first + "\"";
}

// "xt4830ctl 1.0.2 (XT4830, driver library libBoardIo.so)", ", virtual board" before the
// parenthesis closes when the library drives the virtual board.
std::string versionLine(const Deliverable& deliverable) {
    ConsoleDialogs dialogs;
    LazyLibrary bound(driverLibraryFile(deliverable, programDirectory()), dialogs);
    const bool virtualBoard = BoardChoice(bound).kind() == BoardKind::Virtual;
    return "xt4830ctl " + versionText(deliverable) + " (" + std::string(deliverable.name) +
           ", driver library " + std::string(deliverable.library) +
           (virtualBoard ? ", virtual board)" : ")");
}

// The command line's options and subcommands, for parsing and for completion alike.
struct Grammar {
    CLI::App app{"Drives the XT4830R evaluation board from the command line and from scripts.",
                 "xt4830ctl"};
    std::string package = "tssop", wait = "0", batchFile, board, listen = "127.0.0.1:5025";
    bool version = false, version2 = false, csv = false, keepGoing = false, noVxi11 = false;
    Words words;
    CLI::App* batch = nullptr;
    CLI::App* list = nullptr;
    CLI::App* serve = nullptr;

    const Deliverable& deliverable() const { return version2 ? kXT4830Version2 : kXT4830; }

    Grammar() {
        app.require_subcommand(0, 1);
        app.fallthrough();
        app.add_option("--package", package, "tssop (bus address 62, default) or lfcsp (30)")
            ->check(CLI::IsMember({"tssop", "lfcsp"}));
        app.add_flag("--version2", version2, "bind the XT4830(version2) driver library");
        app.add_option("--wait", wait, "keep trying to open the board for this many seconds");
        app.add_flag("--csv", csv, "print results as CSV (a batch's as one table)");
        app.add_flag("--version", version, "print the version and driver library, and end");
        app.add_option("--board", board,
                       "the board at PLACE on the bus (see list; default: the first), or "
                       "virtual: the virtual board");
        list = app.add_subcommand(
            "list", "Every board on the bus: its place, loader or running, serial; loads nothing");
        addSubcommands(app, words);
        batch = app.add_subcommand(
            "batch", "Run one subcommand per line of FILE, or of standard input as lines come");
        batch->add_option("FILE", batchFile, "the file (default or -: standard input)");
        batch->add_flag("--keep-going", keepGoing, "go on after a failing line");
        serve = app.add_subcommand(
            "serve", "Keep the board open and serve SCPI over TCP until SIGINT or SIGTERM");
        serve->add_option("--listen", listen,
                          "HOST:PORT or [IPv6]:PORT to listen on (default 127.0.0.1:5025, this "
                          "machine only; port 0: any free one, printed)");
        serve->add_flag("--no-vxi11", noVxi11,
                        "serve the SCPI socket alone, not VXI-11 (TCPIP::host::INSTR) beside it");
    }
};

Invocation invocationOf(Grammar& g) {
    Invocation invocation;
    invocation.options = {
        &g.deliverable(),
        g.package == packageName(Package::Lfcsp) ? Package::Lfcsp : Package::Tssop,
        std::chrono::duration<double>(readSeconds(g.wait, kLongestWait, "wait")), g.csv, g.board};
    invocation.batch = g.batch->parsed();
    invocation.batchFile = g.batchFile == "-" ? "" : g.batchFile;
    invocation.keepGoing = g.keepGoing;
    invocation.list = g.list->parsed();
    if (g.serve->parsed()) {
        invocation.serveAddress = g.listen;
        invocation.vxi11 = !g.noVxi11;
        return invocation;
    }
    if (!invocation.batch && !invocation.list) invocation.action = actionFor(g.app, g.words);
    return invocation;
}

void printNames(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        std::printf("%s\n", name.c_str());
}

// The long names of an app's options, "--vref".
std::vector<std::string> optionNamesOf(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
    }
    return names;
}

}  // namespace

Parsed parseCommandLine(const std::vector<std::string>& args) {
    Grammar g;
    try {
        parseWords(g.app, std::vector<std::string>(args.begin() + 1, args.end()));
        if (g.board == kVirtualBoardName) chooseVirtualBoard();
        if (g.version) {
            std::printf("%s\n", versionLine(g.deliverable()).c_str());
            return {std::nullopt, 0};
        }
        if (g.app.get_subcommands().empty())
            throw BadInput("a subcommand is required; see xt4830ctl --help");
        return {invocationOf(g), 0};
    } catch (const CLI::CallForHelp& e) {
        return {std::nullopt, g.app.exit(e)};
    } catch (const CLI::CallForAllHelp& e) {
        return {std::nullopt, g.app.exit(e)};
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "xt4830ctl: %s; see xt4830ctl --help\n",
                     printable(parseProblem(g.app, e)).c_str());
        return {std::nullopt, 2};
    } catch (const BadInput& e) {
        std::fprintf(stderr, "xt4830ctl: %s\n", printable(e.what()).c_str());
        return {std::nullopt, 2};
    }
}

Subcommand parseBatchLine(const std::vector<std::string>& line, bool csv) {
    CLI::App app{"", "xt4830ctl"};
    app.require_subcommand(1, 1);
    Words words;
    addSubcommands(app, words);
    try {
        parseWords(app, line);
    } catch (const CLI::ParseError& e) {
        throw BadInput(parseProblem(app, e));
    }
    // One object per line would break the one table a CSV batch writes.
    if (csv && words.json) throw BadInput("--json does not fit a --csv batch's table");
    return {app.get_subcommands().at(0)->get_name(), actionFor(app, words)};
}

void printCompletions(const std::vector<std::string>& words) {
    Grammar g;
    const std::vector<CLI::App*> subcommands = g.app.get_subcommands({});
    for (const std::string& word : words) {
        const auto sub = std::find_if(subcommands.begin(), subcommands.end(),
                                      [&word](const CLI::App* s) { return s->get_name() == word; });
        if (sub != subcommands.end()) {
            printNames(optionNamesOf(**sub));
            return;
        }
    }
    std::vector<std::string> names = optionNamesOf(g.app);
    for (const CLI::App* sub : subcommands)
        names.push_back(sub->get_name());
    printNames(names);
}
