// The measurement rules: the ADC's set-up and conversion, the multiplexer's inputs, the
// self-test's sequence, limits and verdict, the sweep and the result tables.
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <optional>

#include "GermanLocale.h"
#include "RecordingDriver.h"
#include "board/Declare.h"
#include "measure/AdcRules.h"
#include "measure/ResultTables.h"
#include "measure/SelfTestSequence.h"
#include "measure/Sweep.h"

namespace {

SelfTestResult selfTest(std::deque<int> counts) {
    Rig rig;
    rig.driver.counts = std::move(counts);
    return runSelfTest(rig.declare);
}

}  // namespace

TEST(AdcRules, CountOver4096TimesTheReferenceUnroundedAndUnlimited) {
    using Case = std::tuple<int32_t, double, double>;
    for (const auto& [count, reference, volts] :
         {Case{2048, 3.0, 1.5}, Case{2048, 5, 2.5}, Case{0, 3.0, 0},
          Case{4095, 3.0, 2.999267578125}, Case{4096, 3.0, 3.0}, Case{65535, 3.0, 47.999267578125},
          Case{2048, 0, 0}}) {
        EXPECT_EQ(adcVolts(count, reference), volts) << count << " " << reference;
    }
}

TEST(AdcRules, EachInputsMaskAndTheSetUpRequest) {
    const int values[kMuxInputs] = {0x9801, 0x9802, 0x9804, 0x9808, 0x9810, 0x9820, 0x9840, 0x9880};
    Rig rig;
    for (int input = 0; input < kMuxInputs; ++input)
        rig.declare.SelectMuxChannel(muxMask(input));
    configureAdc(rig.declare);
    ASSERT_EQ(rig.driver.sent.size(), 9u);
    for (int input = 0; input < kMuxInputs; ++input)
        EXPECT_EQ(rig.driver.sent[input], (RecordingDriver::Sent{0xDF, values[input], 0, 0, 0}));
    EXPECT_EQ(rig.driver.sent[8], (RecordingDriver::Sent{0xDA, 18, 72, 0, 0}));
}

TEST(SelfTestSequence, SetsUpTheAdcThenWritesSelectsAndReadsInItsFixedOrder) {
    Rig rig;
    rig.declare.setDeviceAddress(62);
    runSelfTest(rig.declare);
    using S = RecordingDriver::Sent;
    std::vector<S> expected = {{0xDA, 18, 72, 0, 0}};
    for (const int data : {0xFFFF, 0x8000}) {
        expected.push_back({0xDE, 0x3E1F, data, 0, 0});
        for (const int value : {0x9801, 0x9802, 0x9804, 0x9808}) {
            expected.push_back({0xDF, value, 0, 0, 0});
            expected.push_back({0xDA, 0, 0, 1, 3});
        }
    }
    EXPECT_EQ(rig.driver.sent, expected);
}

TEST(SelfTestSequence, WindowEdgesInSinglePrecision) {
    using Case = std::tuple<int, int, bool>;  // 0-3 full scale, 4-7 mid scale
    for (const auto& [reading, count, pass] :
         {Case{0, 3959, false}, Case{1, 3960, true}, Case{2, 4232, true}, Case{3, 4233, false},
          Case{4, 2034, false}, Case{5, 2035, true}, Case{6, 2061, true}, Case{7, 2062, false}}) {
        std::deque<int> counts = {4095, 4095, 4095, 4095, 2048, 2048, 2048, 2048};
        counts[reading] = count;
        const SelfTestResult result = selfTest(counts);
        SCOPED_TRACE(count);
        ASSERT_EQ(result.readings.size(), 8u);
        EXPECT_EQ(result.pass, pass);
        const SelfTestReading& r = result.readings[reading];
        EXPECT_EQ(r.count, count);
        EXPECT_EQ(r.output, reading % 4);
        EXPECT_EQ(r.pass, pass);
        EXPECT_EQ(r.volts, static_cast<float>(count / 4096.0 * 3));
        EXPECT_EQ(r.phase->low, reading < 4 ? 2.9f : 1.49f);
        EXPECT_EQ(r.phase->high, reading < 4 ? 3.1f : 1.51f);
    }
    EXPECT_FALSE(selfTest({}).pass) << "a board that reads 0 everywhere";
}

TEST(SelfTestSequence, BoardLostDuringARunSendsEveryRequestAndFails) {
    Rig rig;
    rig.driver.result = -1;
    EXPECT_FALSE(runSelfTest(rig.declare).pass);
    EXPECT_EQ(rig.driver.sent.size(), 19u) << "every request still goes out";
    EXPECT_EQ(rig.refusal.text(),
              "request 0xDA (value 0x0012, index 0x0048) failed with result -1");
}

TEST(Sweep, WritesEachCodeOnTheComposerReadsItBackAndComparesWithTheIdealCount) {
    Rig rig;
    rig.declare.setDeviceAddress(62);
    rig.driver.counts = {0, 1030, 2048};
    Sweep sweep(rig.declare, {1, 0, 0x8000, 0x4000, 3.0, 3.0, {}});
    EXPECT_EQ(sweep.total(), 3);
    std::vector<SweepPoint> points;
    while (!sweep.done())
        points.push_back(sweep.next());
    using S = RecordingDriver::Sent;
    std::vector<S> expected = {{0xDF, 0x9802, 0, 0, 0}};  // output B selected once
    for (const int code : {0x0000, 0x4000, 0x8000}) {
        expected.push_back({0xDE, 0x3E19, code, 0, 0});
        expected.push_back({0xDA, 0, 0, 1, 3});
    }
    EXPECT_EQ(rig.driver.sent, expected);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].code, 0x4000);
    EXPECT_EQ(points[1].idealVolts, 0.75);
    EXPECT_EQ(points[1].count, 1030);
    EXPECT_EQ(points[1].measuredVolts, 1030 / 4096.0 * 3);
    EXPECT_EQ(points[1].difference, 6);
    EXPECT_EQ(Sweep(rig.declare, {0, 5, 4, 1, 3.0, 3.0, {}}).total(), 0);
    EXPECT_EQ(Sweep(rig.declare, {0, 0x100, 0x400, 0x100, 3.0, 3.0, {}}).total(), 4);
    EXPECT_EQ(Sweep(rig.declare, {0, 0x100, 0x100, 1, 3.0, 3.0, {}}).total(), 1);
    // A step that does not land on the last code ends on it all the same, the default sweep too.
    using Codes = std::vector<int32_t>;
    for (const auto& [settings, codes] : std::vector<std::pair<SweepSettings, Codes>>{
             {{0, 0xFF00, 0xFFFF, 0x80, 3.0, 3.0, {}}, {0xFF00, 0xFF80, 0xFFFF}},
             {{0, 0x10, 0x30, 0x10, 3.0, 3.0, {}}, {0x10, 0x20, 0x30}},
             {{0, 5, 5, 0x100, 3.0, 3.0, {}}, {5}},
             {{0, 0, 0xFFFF, 0x7FFFFFFF, 3.0, 3.0, {}}, {0, 0xFFFF}}}) {
        Sweep run(rig.declare, settings);
        Codes measured;
        while (!run.done())
            measured.push_back(run.next().code);
        EXPECT_EQ(measured, codes);
        EXPECT_EQ(run.total(), static_cast<int>(codes.size()));
    }
    EXPECT_EQ(Sweep(rig.declare, SweepSettings{}).total(), 257) << "0 to 0xFF00 by 0x100, 0xFFFF";
    EXPECT_EQ(idealCount(3.0, 3.0), 4095) << "the top of the 12-bit range";
    EXPECT_EQ(idealCount(-0.1, 3.0), 0);
    EXPECT_EQ(idealCount(1.5, 6.0), 1024);
}

TEST(Sweep, SummaryFitsTheLineThroughThePointsOffTheAdcsEnds) {
    // (ideal count, count); a count or an ideal count at either of the ADC's ends is left out.
    const std::pair<int, int> measured[] = {{0, 0},       {0, 3},       {5, 0},
                                            {1, 1},       {1000, 1010}, {2000, 2030},
                                            {3000, 3050}, {4000, 4095}, {4095, 4090}};
    std::vector<SweepPoint> points;
    for (const auto& [ideal, count] : measured)
        points.push_back({0, 0, count, 0, count - ideal});
    const SweepSummary s = summarize(points);
    // Least squares through (1, 1), (1000, 1010), (2000, 2030), (3000, 3050).
    EXPECT_NEAR(s.offsetCounts, -3.0128027297, 1e-9);
    EXPECT_NEAR(s.gainErrorPercent, 1.7005700870, 1e-9);
    EXPECT_EQ(s.largestDifference, 95);
    points.push_back({0, 0, 3905, 0, -95});  // as large, the other way: the first one stays
    EXPECT_EQ(summarize(points).largestDifference, 95);
    const SweepSummary one = summarize({{0, 0, 1010, 0, 10}, {1, 0, 1020, 0, 20}});
    EXPECT_EQ(one.offsetCounts, 0.0) << "two readings of one ideal count make no line";
    const SweepSummary none = summarize({});
    EXPECT_EQ(none.offsetCounts, 0.0);
    EXPECT_EQ(none.gainErrorPercent, 0.0);
    EXPECT_EQ(none.largestDifference, 0);
}

TEST(Sweep, SettingsAreCheckedInOneWordingForEveryCaller) {
    using Case = std::tuple<SweepSettings, std::optional<std::string>>;
    for (const auto& [settings, problem] : {
             Case{{0, 0, 0xFFFF, 0x100, 3.0, 3.0, {}}, std::nullopt},
             Case{{3, 0x100, 0x100, 1, 0.001, 3.0, {}}, std::nullopt},
             Case{{4, 0, 0xFFFF, 0x100, 3.0, 3.0, {}},
                  "a sweep reads one channel back: give A, B, C or D"},
             Case{{-1, 0, 0xFFFF, 0x100, 3.0, 3.0, {}},
                  "a sweep reads one channel back: give A, B, C or D"},
             Case{{0, 0, 0xFFFF, 0, 3.0, 3.0, {}}, "the step must be 1 or more"},
             Case{{0, 5, 4, 1, 3.0, 3.0, {}}, "the sweep's last code lies below its first"},
             Case{{0, 0, 0xFFFF, 1, 0, 3.0, {}}, "the DAC reference is a number of volts above 0"},
         }) {
        EXPECT_EQ(sweepSettingsProblem(settings), problem)
            << settings.output << " " << settings.from << " " << settings.step;
    }
}

TEST(ResultTables, NumbersKeepThePointOnAGermanDesktop) {
    const GermanLocale german;
    if (!german.active()) GTEST_SKIP() << "no German locale could be made here";
    EXPECT_EQ(sweepFields({0x1234, 0.5, 1234, 0.5, 0})[0], "4660");
    EXPECT_EQ(describeFailure({0xDE, 0x3E19, 0x8000, 0, 0, nullptr}, 1234),
              "request 0xDE (value 0x3E19, index 0x8000) failed with result 1234");
}

TEST(ResultTables, TimestampsAreUtcToTheMillisecond) {
    const std::chrono::system_clock::time_point at{std::chrono::milliseconds(1733540045123)};
    EXPECT_EQ(utcTimestamp(at), "2024-12-07T02:54:05.123Z");
}
