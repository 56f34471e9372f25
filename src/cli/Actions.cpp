#include "cli/Actions.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "cli/Session.h"
#include "cli/ValueReading.h"
#include "command/CommandComposer.h"
#include "measure/AdcRules.h"
#include "measure/ResultTables.h"
#include "measure/SelfTestSequence.h"

namespace {

// Composes with compose and writes the word to the part, as Write to Part does.
Action composed(const std::function<void(CommandComposer&)>& compose) {
    return [compose](Session& session) {
        CommandComposer composer;
        compose(composer);
        session.requests().WriteDacWord(composer.word());
        return 0;
    };
}

// The command's panel with the boxes of channels ticked, and more done to it.
Action withChannelBoxes(Command command, const std::vector<Channel>& channels,
                        const std::function<void(CommandComposer&)>& more) {
    return composed([=](CommandComposer& c) {
        c.chooseCommand(command);
        for (const Channel channel : channels)
            c.setChannelBox(command, channel, true);
        more(c);
    });
}

// The command's panel with one option chosen.
template <typename Option>
Action withOption(Command command, Option option) {
    return composed([=](CommandComposer& c) {
        c.chooseCommand(command);
        c.chooseOption(command, option);
    });
}

// One row of values: CSV with commas, else columns separated by two spaces.
void printRow(const Session& session, const std::vector<std::string>& values) {
    std::printf("%s\n", joined(values, session.csv() ? "," : "  ").c_str());
}

// A header line: the CSV columns, or the same names spaced out.
void printHeader(const Session& session, std::string columns) {
    if (!session.csv()) {
        for (std::size_t at = columns.find(','); at != std::string::npos; at = columns.find(','))
            columns.replace(at, 1, "  ");
    }
    std::printf("%s\n", columns.c_str());
}

// Now and then, on a terminal only: scripts that log standard error get no progress lines.
void progress(int done, int total) {
    if ((done % 64 != 0 && done != total) || isatty(STDERR_FILENO) == 0) return;
    std::fprintf(stderr, "\rsweep: %d of %d points", done, total);
    if (done == total) std::fprintf(stderr, "\n");
}

}  // namespace

Action writeCode(Command command, Channel channel, int32_t code) {
    return composed([=](CommandComposer& c) {
        c.chooseCommand(command);
        c.chooseChannel(channel);
        c.setCode(code);
    });
}

Action updateChannel(Channel channel) {
    return writeCode(Command::Update, channel, 0);
}

Action powerDown(const std::vector<Channel>& channels, PowerDownMode mode) {
    return withChannelBoxes(Command::PowerDown, channels, [mode](CommandComposer& c) {
        c.chooseOption(Command::PowerDown, mode);
    });
}

Action resetRegisters(ResetChoice choice) {
    return withOption(Command::Reset, choice);
}

Action ldacMask(const std::vector<Channel>& channels) {
    return withChannelBoxes(Command::LdacRegister, channels, [](CommandComposer&) {});
}

Action internalReference(ReferenceChoice choice) {
    return withOption(Command::InternalReference, choice);
}

Action rawWord(uint32_t word) {
    return [word](Session& session) {
        session.requests().WriteDacWord(static_cast<int32_t>(word));
        return 0;
    };
}

Action setPin(bool ldac, bool high) {
    return [=](Session& session) {
        ldac ? session.requests().SetLdacPin(high) : session.requests().SetClrPin(high);
        return 0;
    };
}

Action sampleInput(int input, double reference, int count, std::chrono::duration<double> interval) {
    return [=](Session& session) {
        if (session.csv()) printHeader(session, kSampleColumns);
        session.requests().SelectMuxChannel(muxMask(input));
        for (int i = 0; i < count; ++i) {
            if (i > 0) std::this_thread::sleep_for(interval);
            const int32_t adc = session.requests().ReadAdc();
            printRow(session, sampleFields(std::chrono::system_clock::now(), input, adc,
                                           adcVolts(adc, reference)));
            std::fflush(stdout);
        }
        return 0;
    };
}

Action selfTest() {
    return [](Session& session) {
        if (session.csv()) printHeader(session, "phase,output,count,volts,low,high,result");
        const SelfTestResult result = runSelfTest(session.requests());
        for (const SelfTestReading& r : result.readings) {
            printRow(session, {r.phase->name, inputName(r.output), std::to_string(r.count),
                               fixed(r.volts, 6), fixed(r.phase->low, 2), fixed(r.phase->high, 2),
                               r.pass ? "pass" : "fail"});
        }
        std::fprintf(session.csv() ? stderr : stdout, "%s\n", result.pass ? "PASS" : "FAIL");
        return result.pass ? 0 : 1;
    };
}

Action sweep(const SweepSettings& settings) {
    return [settings](Session& session) {
        printHeader(session, kSweepColumns);
        Sweep run(session.requests(), settings);
        std::vector<SweepPoint> points;
        while (!run.done()) {
            const SweepPoint p = run.next();
            points.push_back(p);
            printRow(session, sweepFields(p));
            progress(run.measured(), run.total());
        }
        std::fprintf(session.csv() ? stderr : stdout, "%s\n",
                     summaryText(summarize(points)).c_str());
        return 0;
    };
}
