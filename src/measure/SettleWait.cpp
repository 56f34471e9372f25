#include "measure/SettleWait.h"

#include <algorithm>
#include <thread>

void settleFor(std::chrono::milliseconds duration, const Checkpoint& checkpoint) {
    if (!checkpoint) {
        std::this_thread::sleep_for(duration);  // returns at once for none
        return;
    }
    constexpr std::chrono::milliseconds kSlice{10};
    const auto end = std::chrono::steady_clock::now() + duration;
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
        checkpoint();
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kSlice, end - now));
    }
}
