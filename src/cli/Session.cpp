#include "cli/Session.h"

#include <cstdio>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kRetryPause{500};

}  // namespace

void offerVirtualBoard(const Session& session) {
    if (session.kind() != BoardKind::Real) return;
    std::fprintf(stderr,
                 "xt4830ctl: to try the virtual board instead, give --board virtual (or set "
                 "XT4830_VIRTUAL_BOARD)\n");
}

void reportNoBoard(const Session& session) {
    if (!session.problem().empty()) {
        std::fprintf(stderr, "xt4830ctl: %s\n", session.problem().c_str());
        offerVirtualBoard(session);
        return;
    }
    std::fprintf(stderr,
                 "xt4830ctl: no evaluation board answered: plug it in (and check that you may "
                 "open it), or give --wait SECONDS\n");
}

void StopAtRefusal::refused(const BoardRequest& request, int16_t result) {
    throw RequestFailed(describeFailure(request, result));
}

Session::Session(const std::string& programDir, const Options& options)
    : options_(options),
      board_(*options.deliverable, programDir, dialogs_, refusals_),
      output_(options.csv),
      kind_(board_.choice().kind()) {
    board_.requests().setDeviceAddress(busAddress(options.package));
}

bool Session::open() {
    if (!options_.board.empty() && !board_.choice().choose(options_.board)) {
        problem_ = board_.choice().cannot("choose a board (--board)");
        return false;
    }
    const auto giveUp = std::chrono::steady_clock::now() + options_.wait;
    while (!board_.link().attemptOpen()) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            problem_ = board_.choice().openFailure();
            return false;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    return true;
}
