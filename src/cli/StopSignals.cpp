#include "cli/StopSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace {

volatile std::sig_atomic_t caught = 0;
// The handler also writes a byte here, so a wait that polls the pipe wakes at once, however
// close to its start the signal came.
std::array<int, 2> wakeUp{-1, -1};

void onStopSignal(int signal) {
    caught = signal;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeUp[1], &byte, 1);
    errno = saved;
}

// Polls fd (or nothing, when -1) and the wake-up pipe for up to timeout (none: forever).
void pollWith(int fd, const timespec* timeout) {
    std::array<pollfd, 2> fds{{{wakeUp[0], POLLIN, 0}, {fd, POLLIN, 0}}};
    ::ppoll(fds.data(), fd < 0 ? 1 : 2, timeout, nullptr);
}

}  // namespace

void catchStopSignals() {
    if (wakeUp[0] < 0 && ::pipe2(wakeUp.data(), O_CLOEXEC | O_NONBLOCK) != 0) wakeUp = {-1, -1};
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes carry on after the handler: rows go out whole, and the waits above
    // notice the signal by the pipe.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM})
        ::sigaction(signal, &action, nullptr);
}

int stopSignal() {
    return caught;
}

int stopWakeFd() {
    return wakeUp[0];
}

void stopIfAsked() {
    if (caught != 0) throw Stopped{caught};
}

void sleepUntil(std::chrono::steady_clock::time_point when) {
    using namespace std::chrono;
    while (caught == 0) {
        const auto left = when - steady_clock::now();
        if (left <= steady_clock::duration::zero()) return;
        const auto whole = duration_cast<seconds>(left);
        const timespec timeout{static_cast<time_t>(whole.count()),
                               static_cast<long>(duration_cast<nanoseconds>(left - whole).count())};
        pollWith(-1, &timeout);
    }
}

bool waitForInput(int fd) {
    if (caught == 0) pollWith(fd, nullptr);
    return caught == 0;
}
