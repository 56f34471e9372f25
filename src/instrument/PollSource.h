#pragma once

#include <poll.h>

#include <chrono>
#include <optional>
#include <span>
#include <vector>

// More sockets served in the same loop as the SCPI socket, one message at a time.
class PollSource {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~PollSource() = default;
    // Appends the descriptors it waits on; soonest becomes its earliest deadline when earlier.
    virtual void watch(std::vector<pollfd>& fds, std::optional<Clock::time_point>& soonest) = 0;
    // What poll reported on the descriptors it appended, in their order.
    virtual void handle(std::span<const pollfd> fds, Clock::time_point now) = 0;
};
