#pragma once

#include <chrono>
#include <functional>

// Called again and again while a run waits; it ends the wait (and the run) by throwing, when a
// stop signal came or the one the run is for has gone. Empty: the wait cannot be cut short.
using Checkpoint = std::function<void()>;

// Waits for duration, calling checkpoint at least every 10 ms, so a stop is noticed within
// that much of a long settling time.
void settleFor(std::chrono::milliseconds duration, const Checkpoint& checkpoint);
