#include "board/SelfTestSequence.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>

#include "board/Declare.h"
#include "FakeDialogs.h"
#include "ui/selftest/HoldClock.h"

namespace {

// A driver whose reads answer scripted counts.
class ScriptedDriver : public DriverLibrary {
public:
    std::deque<int> counts;

    bool attemptOpen(const std::string&, FirmwarePathBytes&) override { return true; }
    int16_t request(const BoardRequest& r) override {
        if (r.direction == 1) {
            const int count = counts.empty() ? 0 : counts.front();
            if (!counts.empty()) counts.pop_front();
            r.buffer[0] = static_cast<uint8_t>(count >> 8);
            r.buffer[1] = static_cast<uint8_t>(count & 0xFF);
        }
        return 0;
    }
};

bool measure(std::deque<int> counts) {
    ScriptedDriver driver;
    driver.counts = std::move(counts);
    FakeDialogs dialogs;
    Declare declare(driver, dialogs);
    return measureAllOutputs(declare);
}

}  // namespace

TEST(SelfTest, ReadingWindowsInSinglePrecision) {
    struct Case {
        int count;
        float low, high;
        bool pass;
    };
    for (const Case& c : {Case{3959, 2.9f, 3.1f, false}, Case{3960, 2.9f, 3.1f, true},
                          Case{4232, 2.9f, 3.1f, true}, Case{4233, 2.9f, 3.1f, false},
                          Case{2034, 1.49f, 1.51f, false}, Case{2035, 1.49f, 1.51f, true},
                          Case{2061, 1.49f, 1.51f, true}, Case{2062, 1.49f, 1.51f, false}}) {
        EXPECT_EQ(inWindow(selfTestVolts(c.count), c.low, c.high), c.pass) << c.count;
    }
}

TEST(SelfTest, OneBadReadingAmongEightFails) {
    const std::deque<int> good = {4095, 4095, 4095, 4095, 2048, 2048, 2048, 2048};
    EXPECT_TRUE(measure(good));
    for (size_t bad = 0; bad < good.size(); ++bad) {
        std::deque<int> counts = good;
        counts[bad] = bad < 4 ? 3959 : 2062;
        EXPECT_FALSE(measure(counts)) << "reading " << bad;
    }
}

namespace {

// A clock that moves only when slept on.
struct SteppingClock : HoldClock {
    std::chrono::steady_clock::time_point at{};
    int sleeps = 0;
    std::chrono::steady_clock::time_point now() const override { return at; }
    void sleepFor(std::chrono::milliseconds step) override {
        ++sleeps;
        at += step;
    }
};

}  // namespace

TEST(SelfTest, HoldLastsMoreThanItsDurationInShortSleeps) {
    SteppingClock clock;
    holdFor(clock, std::chrono::milliseconds(2000));
    EXPECT_GT(clock.at.time_since_epoch(), std::chrono::milliseconds(2000));
    EXPECT_LE(clock.at.time_since_epoch(), std::chrono::milliseconds(2010));
    EXPECT_EQ(clock.sleeps, 201);
}
