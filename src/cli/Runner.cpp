#include "cli/Runner.h"

#include <cstdio>
#include <sstream>

#include "cli/BatchInput.h"
#include "cli/CommandLine.h"
#include "cli/Session.h"
#include "cli/StopSignals.h"
#include "cli/ValueReading.h"
#include "measure/LinearityReport.h"
#include "measure/ResultTables.h"

namespace {

// A line's words, its comment dropped.
std::vector<std::string> batchWords(std::string_view text) {
    std::istringstream words(std::string(text.substr(0, text.find('#'))));
    std::vector<std::string> line;
    for (std::string word; words >> word;)
        line.push_back(word);
    return line;
}

BatchLine checkedLine(int number, std::string_view text, bool csv) {
    try {
        Subcommand subcommand = parseBatchLine(batchWords(text), csv);
        return {number, subcommand.name, subcommand.action};
    } catch (const BadInput& e) {
        throw BadInput("line " + std::to_string(number) + ": " + e.what());
    }
}

// With --csv, every row of the batch goes into one table whatever subcommands it holds: its
// header first. False when even that cannot be written.
bool startTable(Session& session) {
    try {
        if (session.csv()) {
            session.output().startTable(
                {kSampleColumns, kSelfTestColumns, kSweepColumns, kLinearityColumns});
        }
        return true;
    } catch (const OutputFailed& e) {
        std::fprintf(stderr, "xt4830ctl: %s\n", e.what());
        return false;
    }
}

// Runs one line; false when the batch stops there.
bool runLine(Session& session, const BatchLine& line, bool keepGoing, int& status) {
    session.output().atLine(line.number, line.subcommand);
    const int result = runAction(session, line.action);
    if (result == 0) return true;
    status = result;
    if (stopSignal() != 0 || result == kOutputFailedStatus) return false;
    std::fprintf(stderr, "xt4830ctl: line %d failed\n", line.number);
    return keepGoing;
}

}  // namespace

int runAction(Session& session, const Action& action) {
    try {
        stopIfAsked();
        const int status = action(session);
        stopIfAsked();
        return status;
    } catch (const RequestFailed& e) {
        std::fprintf(stderr, "xt4830ctl: %s\n", e.what());
        return 1;
    } catch (const MeterError& e) {
        std::fprintf(stderr, "xt4830ctl: %s\n", e.what());
        return 1;
    } catch (const OutputFailed& e) {
        std::fprintf(stderr, "xt4830ctl: %s; stopped\n", e.what());
        return kOutputFailedStatus;
    } catch (const Stopped& stop) {
        std::fprintf(stderr, "xt4830ctl: stopped by signal %d; the board is left as it is\n",
                     stop.signal);
        return stoppedStatus(stop.signal);
    }
}

std::vector<BatchLine> readBatch(std::string_view text, bool csv) {
    std::vector<BatchLine> lines;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.size() > kBatchLineLimit) {
            throw BadInput(batchLineTooLong(number));
        }
        if (!batchWords(line).empty()) lines.push_back(checkedLine(number, line, csv));
    }
    return lines;
}

int runBatch(Session& session, const std::vector<BatchLine>& lines, bool keepGoing) {
    if (!startTable(session)) return kOutputFailedStatus;
    int status = 0;
    for (const BatchLine& line : lines) {
        if (!runLine(session, line, keepGoing, status)) break;
    }
    return status;
}

int runStreamedBatch(Session& session, LineReader& input, bool keepGoing) {
    if (!startTable(session)) return kOutputFailedStatus;
    int status = 0;
    int badInARow = 0;
    for (bool more = true; more;) {
        try {
            const std::optional<std::string> text = input.next();
            if (!text) break;
            if (batchWords(*text).empty()) continue;
            const BatchLine line = checkedLine(input.number(), *text, session.csv());
            badInARow = 0;
            more = runLine(session, line, keepGoing, status);
        } catch (const BadInput& e) {
            std::fprintf(stderr, "xt4830ctl: %s\n", printable(e.what()).c_str());
            status = 2;
            more = keepGoing && ++badInARow < kBadLinesInARow;
            if (more || !keepGoing) continue;
            std::fprintf(stderr, "xt4830ctl: %d bad lines in a row: not a batch; stopped\n",
                         kBadLinesInARow);
        }
    }
    // A stop signal while waiting for the next line.
    return stopSignal() != 0 ? stoppedStatus(stopSignal()) : status;
}
