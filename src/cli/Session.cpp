#include "cli/Session.h"

#include <cstdio>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kRetryPause{500};

}  // namespace

Session::Session(const std::string& programDir, const Options& options)
    : options_(options), board_(options.variant, programDir, dialogs_) {
    board_.requests().setDeviceAddress(busAddress(options.package));
    // A refused request ends the subcommand that sent it, with what was refused.
    board_.requests().onFailure = [](const BoardRequest& request, int16_t result) {
        throw RequestFailed(describeFailure(request, result));
    };
}

bool Session::open() {
    const auto giveUp = std::chrono::steady_clock::now() + options_.wait;
    while (!board_.link().attemptOpen()) {
        if (std::chrono::steady_clock::now() >= giveUp) return false;
        std::this_thread::sleep_for(kRetryPause);
    }
    return true;
}
