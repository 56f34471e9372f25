#include <cstdio>
#include <fstream>
#include <iostream>

#include "board/ProgramDirectory.h"
#include "cli/CommandLine.h"
#include "cli/Runner.h"
#include "cli/ValueReading.h"

// xt4830ctl: the evaluation board from the command line. Exit status 0 when all went well,
// 1 when the board refused a request (or the self-test failed), 2 for bad input (nothing is
// sent then), 3 when no board answered.
int main(int argc, char* argv[]) {
    const Parsed parsed = parseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!parsed.invocation) return parsed.status;
    const Invocation& invocation = *parsed.invocation;
    std::vector<BatchLine> batch;
    if (invocation.batch) {
        std::ifstream file(invocation.batchFile);
        if (!invocation.batchFile.empty() && !file) {
            std::fprintf(stderr, "xt4830ctl: cannot read %s\n", invocation.batchFile.c_str());
            return 2;
        }
        try {
            batch = readBatch(invocation.batchFile.empty() ? std::cin : file);
        } catch (const BadInput& e) {
            std::fprintf(stderr, "xt4830ctl: %s\n", e.what());
            return 2;
        }
    }
    Session session(programDirectory(), invocation.options);
    if (!session.open()) {
        std::fprintf(stderr,
                     "xt4830ctl: no evaluation board answered: plug it in (and check that you "
                     "may open it), or give --wait SECONDS\n");
        return 3;
    }
    if (invocation.batch) return runBatch(session, batch, invocation.keepGoing);
    return runAction(session, invocation.action);
}
