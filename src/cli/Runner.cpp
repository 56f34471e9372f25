#include "cli/Runner.h"

#include <cstdio>
#include <sstream>
#include <string>

#include "cli/CommandLine.h"
#include "cli/Session.h"
#include "cli/ValueReading.h"

int runAction(Session& session, const Action& action) {
    try {
        return action(session);
    } catch (const RequestFailed& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "xt4830ctl: %s\n", e.what());
        return 1;
    }
}

std::vector<BatchLine> readBatch(std::istream& in) {
    std::vector<BatchLine> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        std::istringstream words(text.substr(0, text.find('#')));
        std::vector<std::string> line;
        for (std::string word; words >> word;)
            line.push_back(word);
        if (line.empty()) continue;
        try {
            lines.push_back({number, parseBatchLine(line)});
        } catch (const BadInput& e) {
            throw BadInput("line " + std::to_string(number) + ": " + e.what());
        }
    }
    return lines;
}

int runBatch(Session& session, const std::vector<BatchLine>& lines, bool keepGoing) {
    int status = 0;
    for (const BatchLine& line : lines) {
        const int result = runAction(session, line.action);
        if (result == 0) continue;
        std::fprintf(stderr, "xt4830ctl: line %d failed\n", line.number);
        status = result;
        if (!keepGoing) break;
    }
    return status;
}
