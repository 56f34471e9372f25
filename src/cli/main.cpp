#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

#include "board/ProgramDirectory.h"
#include "cli/BatchInput.h"
#include "cli/CommandLine.h"
#include "cli/Runner.h"
#include "cli/Serve.h"
#include "cli/StopSignals.h"
#include "cli/ValueReading.h"

namespace {

// A batch from a file, or from standard input when it is a file: read and checked whole
// before the board opens. Nothing when it is refused (reported here).
std::optional<std::vector<BatchLine>> checkedBatch(const Invocation& invocation) {
    try {
        return readBatch(readBatchFile(invocation.batchFile), invocation.options.csv);
    } catch (const BadInput& e) {
        std::fprintf(stderr, "xt4830ctl: %s\n", printable(e.what()).c_str());
        return std::nullopt;
    }
}

// A standard file the caller closed would be taken by the next file opened here: input then
// reads as empty, and output fails as a full disk does.
void reopenClosedStandardFiles() {
    for (const auto& [fd, path, flags] : {std::tuple{STDIN_FILENO, "/dev/null", O_RDONLY},
                                          std::tuple{STDOUT_FILENO, "/dev/full", O_WRONLY},
                                          std::tuple{STDERR_FILENO, "/dev/full", O_WRONLY}}) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        const int opened = ::open(path, flags);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

// Help, the version and the completions are written through the C library's buffer: 4 when
// they could not all be written.
int printedStatus(int status) {
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
    std::fprintf(stderr, "xt4830ctl: cannot write to standard output: %s\n", std::strerror(errno));
    return kOutputFailedStatus;
}

}  // namespace

// xt4830ctl: the evaluation board from the command line. Exit status 0 when all went well,
// 1 when the board refused a request (or the self-test failed), 2 for bad input (nothing is
// sent then; an address the server cannot listen on included), 3 when no board answered, 4 when the
// results could not be written, 130 and 143 when SIGINT or SIGTERM stopped the run.
int main(int argc, char* argv[]) {
    reopenClosedStandardFiles();
    // A reader that went away makes a write fail, reported with status 4, instead of ending
    // the program unannounced.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc >= 2 && std::strcmp(argv[1], "--complete") == 0) {
        printCompletions(std::vector<std::string>(argv + 2, argv + argc));
        return printedStatus(0);
    }
    const Parsed parsed = parseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!parsed.invocation) return printedStatus(parsed.status);
    const Invocation& invocation = *parsed.invocation;
    if (invocation.serveAddress)
        return serve(*invocation.serveAddress, invocation.options, invocation.vxi11);
    const bool streamed =
        invocation.batch && invocation.batchFile.empty() && standardInputIsStream();
    std::vector<BatchLine> batch;
    if (invocation.batch && !streamed) {
        auto lines = checkedBatch(invocation);
        if (!lines) return 2;
        batch = std::move(*lines);
    }
    Session session(programDirectory(), invocation.options);
    if (invocation.list) return runAction(session, listBoards);
    if (!session.open()) {
        reportNoBoard(session);
        return 3;
    }
    catchStopSignals();
    if (streamed) {
        LineReader input(STDIN_FILENO);
        return runStreamedBatch(session, input, invocation.keepGoing);
    }
    if (invocation.batch) return runBatch(session, batch, invocation.keepGoing);
    return runAction(session, invocation.action);
}
