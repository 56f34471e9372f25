#include "cli/Actions.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "board/Deliverable.h"
#include "cli/Session.h"
#include "cli/ValueReading.h"
#include "command/CommandComposer.h"
#include "measure/AdcRules.h"
#include "measure/Linearity.h"
#include "measure/LinearityReport.h"
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
void progress(const char* what, int64_t done, int64_t total, int64_t every, const char* unit) {
    if ((done % every != 0 && done != total) || isatty(STDERR_FILENO) == 0) return;
    std::fprintf(stderr, "\r%s: %lld of %lld %s", what, static_cast<long long>(done),
                 static_cast<long long>(total), unit);
    if (done == total) std::fprintf(stderr, "\n");
}

Provenance provenanceOf(const Session& session) {
    const Session::Options& o = session.options();
    return provenanceOf(o.variant == Variant::A ? kXT4830Version2 : kXT4830, o.package);
}

// How long the run will take on this board, from the time a request takes here and now.
void announceDuration(Session& session, const Characterisation& run) {
    if (isatty(STDERR_FILENO) == 0) return;
    const auto perRequest = timePerRequest(session.requests(), run.settings().output);
    std::fprintf(stderr, "characterise: %s\n",
                 estimateText(run, estimatedDuration(run, perRequest)).c_str());
}

void printCharacterisation(Session& session, const LinearityResult& result,
                           const CharacteriseSettings& settings, bool json) {
    if (json) {
        std::printf("%s\n", linearityJson(result, settings, provenanceOf(session)).c_str());
        return;
    }
    if (session.csv()) {
        printHeader(session, kLinearityColumns);
        for (const CodeResult& code : result.codes)
            printRow(session, linearityFields(code));
    }
    std::fprintf(session.csv() ? stderr : stdout, "%s", linearitySummary(result, settings).c_str());
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
            progress("sweep", run.measured(), run.total(), 64, "points");
        }
        std::fprintf(session.csv() ? stderr : stdout, "%s\n",
                     summaryText(summarize(points)).c_str());
        return 0;
    };
}

Action characterise(const CharacteriseSettings& settings, bool json) {
    return [settings, json](Session& session) {
        Characterisation run(session.requests(), settings);
        announceDuration(session, run);
        while (!run.done()) {
            run.next();
            progress("characterise", run.measured(), run.total(), 8192, "readings");
        }
        const LinearityResult result = analyseLinearity(run.readings(), settings);
        if (!result.problem.empty()) {
            std::fprintf(stderr, "xt4830ctl: no figures: %s\n", result.problem.c_str());
            return 1;
        }
        printCharacterisation(session, result, settings, json);
        return 0;
    };
}
