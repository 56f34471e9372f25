#include "cli/Actions.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

#include "board/AdcRules.h"
#include "board/SelfTestSequence.h"
#include "cli/Session.h"
#include "cli/ValueReading.h"
#include "command/CommandComposer.h"
#include "command/CommandTable.h"

namespace {

// Composes with compose and writes the word to the part, as Write to Part does.
Action composed(std::function<void(CommandComposer&)> compose) {
    return [compose](Session& session) {
        CommandComposer composer;
        compose(composer);
        session.requests().WriteDacWord(composer.word());
        return 0;
    };
}

Action withChannelBoxes(int command, const std::vector<int>& channels,
                        std::function<void(CommandComposer&)> more) {
    return composed([=](CommandComposer& c) {
        c.chooseCommand(command);
        for (const int channel : channels)
            c.setChannelBox(command, channel, true);
        more(c);
    });
}

char letterOf(int input) {
    return static_cast<char>('A' + input);
}

// "2026-12-07T01:54:15.123Z"
std::string utcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
    return text;
}

// One row of values: CSV with commas, else columns separated by two spaces.
void printRow(const Session& session, std::initializer_list<std::string> values) {
    std::string line;
    for (const std::string& value : values) {
        if (!line.empty()) line += session.csv() ? "," : "  ";
        line += value;
    }
    std::printf("%s\n", line.c_str());
}

// Now and then, on a terminal only: scripts that log standard error get no progress lines.
void progress(int done, int total) {
    if ((done % 64 != 0 && done != total) || isatty(STDERR_FILENO) == 0) return;
    std::fprintf(stderr, "\rsweep: %d of %d points", done, total);
    if (done == total) std::fprintf(stderr, "\n");
}

}  // namespace

Action writeCode(int command, int channel, int32_t code) {
    return composed([=](CommandComposer& c) {
        c.chooseCommand(command);
        c.chooseChannel(channel);
        c.setCode(code);
    });
}

Action updateChannel(int channel) {
    return writeCode(1, channel, 0);
}

Action powerDown(const std::vector<int>& channels, int mode) {
    return withChannelBoxes(kPowerDownCommand, channels,
                            [mode](CommandComposer& c) { c.chooseOption(kPowerDownCommand, mode); });
}

Action resetRegisters(bool all) {
    return composed([all](CommandComposer& c) {
        c.chooseCommand(kResetCommand);
        c.chooseOption(kResetCommand, all ? 1 : 0);
    });
}

Action ldacMask(const std::vector<int>& channels) {
    return withChannelBoxes(kLdacCommand, channels, [](CommandComposer&) {});
}

Action internalReference(bool on) {
    return composed([on](CommandComposer& c) {
        c.chooseCommand(kReferenceCommand);
        c.chooseOption(kReferenceCommand, on ? 1 : 0);
    });
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
        if (session.csv()) std::printf("time,input,count,volts\n");
        session.requests().SelectMuxChannel(muxMask(input));
        for (int i = 0; i < count; ++i) {
            if (i > 0) std::this_thread::sleep_for(interval);
            const int32_t adc = session.requests().ReadAdc();
            printRow(session, {utcNow(), std::string(1, letterOf(input)), std::to_string(adc),
                               fixed(adcVolts(adc, reference), 6)});
            std::fflush(stdout);
        }
        return 0;
    };
}

Action selfTest() {
    return [](Session& session) {
        if (session.csv()) std::printf("phase,output,count,volts,low,high,result\n");
        const SelfTestResult result = runSelfTest(session.requests());
        for (const SelfTestReading& r : result.readings) {
            printRow(session, {r.phase->name, std::string(1, letterOf(r.output)),
                               std::to_string(r.count), fixed(r.volts, 6), fixed(r.phase->low, 2),
                               fixed(r.phase->high, 2), r.pass ? "pass" : "fail"});
        }
        std::fprintf(session.csv() ? stderr : stdout, "%s\n", result.pass ? "PASS" : "FAIL");
        return result.pass ? 0 : 1;
    };
}

Action sweep(const SweepSettings& settings) {
    return [settings](Session& session) {
        const char* header = session.csv()
                                 ? "code,ideal_volts,count,measured_volts,difference_counts"
                                 : "code  ideal_volts  count  measured_volts  difference_counts";
        std::printf("%s\n", header);
        Sweep run(session.requests(), settings);
        std::vector<SweepPoint> points;
        while (!run.done()) {
            const SweepPoint p = run.next();
            points.push_back(p);
            char code[8];
            std::snprintf(code, sizeof code, "0x%04X", p.code);
            printRow(session, {code, fixed(p.idealVolts, 6), std::to_string(p.count),
                               fixed(p.measuredVolts, 6), std::to_string(p.difference)});
            progress(run.measured(), run.total());
        }
        const SweepSummary s = summarize(points);
        std::fprintf(session.csv() ? stderr : stdout,
                     "offset %s counts, gain error %s %%, largest difference %d counts\n",
                     fixed(s.offsetCounts, 2).c_str(), fixed(s.gainErrorPercent, 3).c_str(),
                     s.largestDifference);
        return 0;
    };
}
