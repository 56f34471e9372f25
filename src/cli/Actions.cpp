#include "cli/Actions.h"

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

#include "board/BoardMarking.h"
#include "board/Deliverable.h"
#include "cli/Session.h"
#include "cli/StopSignals.h"
#include "cli/ValueReading.h"
#include "command/ComposedWords.h"
#include "measure/AdcRules.h"
#include "measure/AtomicSave.h"
#include "measure/Linearity.h"
#include "measure/LinearityReport.h"
#include "measure/Provenance.h"
#include "measure/ResultTables.h"
#include "measure/SelfTestSequence.h"

namespace {

// Sends a word composed before the run, as Write to Part sends the image's word.
Action sendWord(int32_t word) {
    return [word](Session& session) {
        session.requests().WriteDacWord(word);
        return 0;
    };
}

// Now and then, on a terminal only: scripts that log standard error get no progress lines.
void progress(const char* what, int64_t done, int64_t total, int64_t every, const char* unit) {
    if ((done % every != 0 && done != total) || isatty(STDERR_FILENO) == 0) return;
    std::fprintf(stderr, "\r%s: %lld of %lld %s", what, static_cast<long long>(done),
                 static_cast<long long>(total), unit);
    if (done == total) std::fprintf(stderr, "\n");
}

// Takes a run's steps to its end, a stop signal ending it between them, with progress lines.
template <typename Run>
void runToEnd(Run& run, const char* what, int64_t every, const char* unit) {
    while (!run.done()) {
        stopIfAsked();
        run.next();
        progress(what, run.measured(), run.total(), every, unit);
    }
}

Provenance provenanceOf(Session& session, std::vector<Setting> settings,
                        const Meter* meter = nullptr) {
    const Session::Options& o = session.options();
    Provenance p = provenanceOf(*o.deliverable, o.package, boardDescription(session.choice()));
    p.settings = std::move(settings);
    if (meter) p.meter = meter->identity();
    return p;
}

// The meter, identified and set up, when the settings name one; throws MeterError.
std::optional<Meter> openMeter(const std::optional<MeterSettings>& settings) {
    std::optional<Meter> meter;
    if (settings) meter.emplace(*settings, [] { stopIfAsked(); });
    return meter;
}

// How long the run will take on this board, from the time a request (and a meter reading)
// takes here and now.
void announceDuration(Session& session, const Characterisation& run, std::optional<Meter>& meter) {
    if (isatty(STDERR_FILENO) == 0) return;
    const auto perRequest = timePerRequest(session.requests(), run.settings().output);
    const auto perReading = meter ? std::optional(timePerReading(*meter)) : std::nullopt;
    std::fprintf(stderr, "characterise: %s\n",
                 estimateText(run, estimatedDuration(run, perRequest, perReading)).c_str());
}

void printCharacterisation(Session& session, const LinearityResult& result,
                           const CharacteriseSettings& settings, bool json,
                           const Provenance& provenance) {
    Output& out = session.output();
    if (json) {
        out.text(linearityJson(result, settings, provenance) + "\n");
        return;
    }
    if (out.csv()) {
        out.header(kLinearityColumns, linearityComment(result, settings, provenance));
        for (const CodeResult& code : result.codes)
            out.row(linearityFields(code));
    }
    out.summary((provenance.partial.empty() ? "" : "Partial: " + provenance.partial + "\n") +
                linearitySummary(result, settings));
}

// The figures of the readings so far; partial says how a run stopped early ended. 1 when the
// readings give none; with limits, the status of the overall verdict.
int printFigures(Session& session, const Characterisation& run, bool json,
                 const std::optional<Meter>& meter, const std::string& partial) {
    const CharacteriseSettings& settings = run.settings();
    const LinearityResult result = analyseLinearity(run.readings(), settings);
    if (!result.problem.empty()) {
        std::fprintf(stderr, "xt4830ctl: no figures: %s\n", result.problem.c_str());
        return 1;
    }
    Provenance provenance = provenanceOf(session, settingsOf(settings), meter ? &*meter : nullptr);
    provenance.partial = partial;
    printCharacterisation(session, result, settings, json, provenance);
    if (settings.limits.empty()) return 0;
    return verdictStatus(overallVerdict(judgeFigures(result, settings.limits)));
}

}  // namespace

Action writeCode(Command command, Channel channel, int32_t code) {
    return sendWord(dataWord(command, channel, code));
}

Action updateChannel(Channel channel) {
    return writeCode(Command::Update, channel, 0);
}

Action powerDown(const std::vector<Channel>& channels, PowerDownMode mode) {
    return sendWord(panelWord(Command::PowerDown, channels, index(mode)));
}

Action resetRegisters(ResetChoice choice) {
    return sendWord(optionWord(Command::Reset, choice));
}

Action ldacMask(const std::vector<Channel>& channels) {
    return sendWord(panelWord(Command::LdacRegister, channels));
}

Action internalReference(ReferenceChoice choice) {
    return sendWord(optionWord(Command::InternalReference, choice));
}

Action rawWord(uint32_t word) {
    return sendWord(static_cast<int32_t>(word));
}

Action setPin(bool ldac, bool high) {
    return [=](Session& session) {
        ldac ? session.requests().SetLdacPin(high) : session.requests().SetClrPin(high);
        return 0;
    };
}

Action sampleInput(const SampleSettings& settings) {
    return [settings](Session& session) {
        for (const int input : settings.inputs) {
            if (auto refused =
                    calibrationRefused(session, settings.calibration, input, settings.reference))
                return *refused;
        }
        std::optional<Output> file;
        if (!settings.file.empty()) file.emplace(settings.file, session.csv());
        Output& out = file ? *file : session.output();
        std::optional<Meter> meter = openMeter(settings.meter);
        const auto started = std::chrono::system_clock::now();
        if (out.csv()) {
            out.header(kSampleColumns,
                       provenanceComment(provenanceOf(
                           session,
                           withCalibration(sampleSettingsOf(settings.inputs, settings.reference,
                                                            settings.interval.count(), started),
                                           settings.calibration),
                           meter ? &*meter : nullptr)));
        }
        // Each sample at its place in the schedule, so a long log does not drift by the time
        // the samples themselves take.
        const auto start = std::chrono::steady_clock::now();
        for (int64_t k = 0; settings.count == 0 || k < settings.count; ++k) {
            sleepUntil(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   static_cast<double>(k) * settings.interval));
            if (meter) {
                // The meter reads the output it is wired to, once a sample.
                stopIfAsked();
                out.row(meterSampleFields(std::chrono::system_clock::now(), started,
                                          settings.inputs.front(), meter->readVolts(), !out.csv()));
                continue;
            }
            for (const int input : settings.inputs) {
                stopIfAsked();
                // One input stays selected; several are selected in turn.
                if (k == 0 || settings.inputs.size() > 1)
                    session.requests().SelectMuxChannel(muxMask(input));
                const int32_t adc = session.requests().ReadAdc();
                out.row(sampleFields(std::chrono::system_clock::now(), started, input, adc,
                                     adcReadingVolts(adc, settings.reference, settings.calibration),
                                     !out.csv()));
            }
        }
        return 0;
    };
}

Action selfTest() {
    return [](Session& session) {
        Output& out = session.output();
        if (out.csv()) {
            out.header(kSelfTestColumns,
                       provenanceComment(provenanceOf(session, selfTestSettings())));
        }
        const SelfTestResult result = runSelfTest(session.requests());
        for (const SelfTestReading& r : result.readings)
            out.row(selfTestFields(r, !out.csv()));
        out.summary(result.pass ? "PASS\n" : "FAIL\n");
        return result.pass ? 0 : 1;
    };
}

Action sweep(const SweepSettings& settings, const std::optional<MeterSettings>& meterSettings,
             const std::optional<AdcCalibration>& calibration) {
    return [settings, meterSettings, calibration](Session& session) {
        if (auto refused =
                calibrationRefused(session, calibration, settings.output, settings.adcReference))
            return *refused;
        Output& out = session.output();
        std::optional<Meter> meter = openMeter(meterSettings);
        out.header(kSweepColumns, provenanceComment(provenanceOf(
                                      session, withCalibration(settingsOf(settings), calibration),
                                      meter ? &*meter : nullptr)));
        Sweep run(session.requests(), settings, meter ? &*meter : nullptr, calibration);
        run.stopWith(stopIfAsked);  // Ctrl-C ends a settling wait too
        std::vector<SweepPoint> points;
        while (!run.done()) {
            stopIfAsked();
            const SweepPoint p = run.next();
            points.push_back(p);
            out.row(sweepFields(p));
            progress("sweep", run.measured(), run.total(), 64, "points");
        }
        out.summary(summaryText(summarize(points)) + "\n");
        return 0;
    };
}

Action characterise(const CharacteriseSettings& settings, bool json) {
    return [settings, json](Session& session) {
        if (auto refused = calibrationRefused(session, settings.calibration, settings.output,
                                              settings.adcReference))
            return *refused;
        std::optional<Meter> meter = openMeter(settings.meter);
        Characterisation run(session.requests(), settings, meter ? &*meter : nullptr);
        run.stopWith(stopIfAsked);  // Ctrl-C ends a settling wait too
        announceDuration(session, run, meter);
        try {
            runToEnd(run, "characterise", 8192, "readings");
        } catch (const MeterError& e) {
            // A meter that fails mid-run ends it with the figures of what was measured so far.
            std::fprintf(stderr,
                         "\nxt4830ctl: %s; the figures are those of the %lld readings "
                         "taken\n",
                         e.what(), static_cast<long long>(run.measured()));
            printFigures(session, run, json, meter,
                         std::string("the meter failed after ") + std::to_string(run.measured()) +
                             " of " + std::to_string(run.total()) + " readings");
            return 1;
        } catch (const Stopped& stop) {
            // What was measured before the signal is kept, marked as partial.
            printFigures(session, run, json, meter,
                         "stopped by signal " + std::to_string(stop.signal) + " after " +
                             std::to_string(run.measured()) + " of " + std::to_string(run.total()) +
                             " readings");
            throw;
        }
        return printFigures(session, run, json, meter, {});
    };
}

std::optional<int> calibrationRefused(Session& session,
                                      const std::optional<AdcCalibration>& calibration, int input,
                                      double adcReference) {
    if (!calibration) return std::nullopt;
    const auto problem =
        calibrationMismatch(*calibration, boardDescription(session.choice()), input, adcReference);
    if (!problem) return std::nullopt;
    std::fprintf(stderr, "xt4830ctl: %s\n", problem->c_str());
    return 2;
}

Action adcCheck(const AdcCheckSettings& settings, const std::string& saveFile) {
    return [settings, saveFile](Session& session) {
        Meter meter(settings.meter, [] { stopIfAsked(); });
        AdcCheck run(session.requests(), settings, meter);
        run.stopWith(stopIfAsked);
        try {
            runToEnd(run, "adc-check", 1024, "steps");
        } catch (const MeterError& e) {
            std::fprintf(stderr, "\nxt4830ctl: %s after %lld of %lld steps\n", e.what(),
                         static_cast<long long>(run.measured()),
                         static_cast<long long>(run.total()));
            return 1;
        }
        const AdcCheckResult result = analyseAdcCheck(run.readings(), settings);
        if (!result.problem.empty()) {
            std::fprintf(stderr, "xt4830ctl: no figures: %s\n", result.problem.c_str());
            return 1;
        }
        session.output().summary(adcCheckSummary(result, settings));
        if (saveFile.empty()) return 0;
        const std::string board = boardDescription(session.choice());
        const std::string json =
            calibrationJson(calibrationOf(result, settings, board),
                            provenanceJson(provenanceOf(session, settingsOf(settings), &meter)));
        if (const auto failed = saveWhole(saveFile, json)) {
            std::fprintf(stderr, "xt4830ctl: the calibration was not saved to %s: %s\n",
                         saveFile.c_str(), failed->c_str());
            return 1;
        }
        return 0;
    };
}

int listBoards(Session& session) {
    std::string problem;
    const std::optional<std::vector<std::string>> boards = session.choice().list(problem);
    if (boards && boards->empty()) problem = "no evaluation board is on the bus";
    if (!boards || boards->empty()) {
        std::fprintf(stderr, "xt4830ctl: %s\n", problem.c_str());
        offerVirtualBoard(session);
        return 3;
    }
    if (session.kind() == BoardKind::Virtual)
        std::fprintf(stderr, "xt4830ctl: the virtual board, no hardware\n");
    Output& out = session.output();
    out.header("place,state,serial", provenanceComment(provenanceOf(session, {})));
    for (const std::string& line : *boards) {
        std::istringstream words(line);
        std::vector<std::string> row(3);
        words >> row[0] >> row[1] >> row[2];
        if (row[2].empty() && !out.csv()) row.pop_back();
        out.row(row);
    }
    return 0;
}
