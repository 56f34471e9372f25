// The board ADC checked against the virtual meter on output C: each injected error of the
// virtual ADC comes back within two stated uncertainties, and a characterisation corrected with
// the calibration covers the DAC's truth where the ADC's stated terms do not. Expected values
// are worked out by hand from the injected model.
#include <gmock/gmock.h>

#include <functional>

#include "FakeDialogs.h"
#include "FreePort.h"
#include "VirtualLibrary.h"
#include "board/Board.h"
#include "board/Deliverable.h"
#include "board/Package.h"
#include "measure/AdcCheck.h"
#include "measure/Linearity.h"

namespace {

const int kPort = freeLoopbackPort();

AdcCheckSettings checkSettings() {
    AdcCheckSettings s;
    s.output = 2;
    s.stride = 2;
    s.samples = 8;
    s.meterEvery = 1024;
    s.meter.resource = "TCPIP::127.0.0.1::" + std::to_string(kPort) + "::SOCKET";
    s.meter.timeout = std::chrono::milliseconds(2000);
    return s;
}

// The virtual board set up before the rig's board is made.
std::string setUp(const std::string& board) {
    VirtualLibrary(kXT4830).reset(
        ("meter=" + std::to_string(kPort) + ",probe=C,meter-sigma=2," + board).c_str());
    return board;
}

struct Rig {
    explicit Rig(const std::string& board) : settings(setUp(board)) {
        EXPECT_TRUE(link.link().attemptOpen());
        link.requests().setDeviceAddress(busAddress(Package::Tssop));
    }
    std::string settings;
    FakeDialogs dialogs;
    FirstRefusalText refusal;
    Board link{kXT4830, kProgramDir, dialogs, refusal};
};

AdcCheckResult check(Rig& rig, const AdcCheckSettings& s) {
    Meter meter(s.meter, {});
    AdcCheck run(rig.link.requests(), s, meter);
    while (!run.done())
        run.next();
    return analyseAdcCheck(run.readings(), s);
}

using Pick = std::function<Figure(const AdcCheckResult&)>;
const Pick kOffset = [](const AdcCheckResult& r) { return r.offsetCounts; };
const Pick kGain = [](const AdcCheckResult& r) { return r.gainErrorPercent; };
const Pick kInl = [](const AdcCheckResult& r) { return r.inl.figure; };
const Pick kDnlSize = [](const AdcCheckResult& r) {
    return Figure{std::abs(r.dnl.figure.value), r.dnl.figure.uncertainty};
};

}  // namespace

TEST(AdcCheck, EachInjectedErrorOfTheAdcComesBackWithinTwoUncertainties) {
    // The first transition checked lies near count 86 (2 % of the DAC's 3 V): the bow there is
    // 4 x 0.021 x 0.979 = 0.082 of its peak, which the end-point line carries as offset, so
    // the INL at mid scale is 0.918 of it. A transition moved up 0.3 widens the count below it
    // by 0.3 and narrows its own by as much. A true reference of 3.006 V read as 3 V is a gain
    // of 3 / 3.006 - 1 = -0.1996 %.
    using Truth = std::tuple<Pick, double, double>;  // figure, truth, largest u
    const std::vector<std::pair<const char*, std::vector<Truth>>> cases{
        {"adc-offset=1.5", {{kOffset, 1.5, 0.1}, {kGain, 0, 0.005}, {kInl, 0, 0.3}}},
        {"adc-gain=0.3", {{kGain, 0.3, 0.005}, {kOffset, 0, 0.1}}},
        {"adc-vref=3.006", {{kGain, -0.1996, 0.005}}},
        {"adc-inl=1", {{kInl, 0.918, 0.3}, {kOffset, 0.082, 0.1}}},
        {"adc-dnl=2000:0.3", {{kDnlSize, 0.3, 0.3}}}};
    for (const auto& [board, truths] : cases) {
        std::vector<int> within(truths.size(), 0);
        for (int seed = 1; seed <= 3; ++seed) {
            Rig rig(std::string(board) + ",sigma=0.6,seed=" + std::to_string(seed));
            const AdcCheckResult r = check(rig, checkSettings());
            ASSERT_TRUE(r.problem.empty()) << r.problem;
            for (std::size_t i = 0; i < truths.size(); ++i) {
                const auto& [pick, truth, largest] = truths[i];
                const Figure f = pick(r);
                EXPECT_LT(f.uncertainty, largest) << board << " " << i;
                within[i] += std::abs(f.value - truth) <= 2 * f.uncertainty ? 1 : 0;
            }
        }
        for (std::size_t i = 0; i < truths.size(); ++i)
            EXPECT_GE(within[i], 2) << board << " figure " << i;
    }
}

TEST(AdcCheck, TheStatedTermsAreJudgedWithTheGuardBand) {
    // A gain of 0.3 % is beyond the stated 0.1 % and 0.1 % of the reference by more than its U;
    // an offset of 1.5 counts is within the stated 2; an INL of 0.918 against a stated 1 is
    // within its U of the limit.
    Rig rig("adc-gain=0.3,adc-offset=1.5,adc-inl=1,sigma=0.6");
    const AdcCheckResult r = check(rig, checkSettings());
    EXPECT_EQ(r.covered[0], Verdict::Pass);
    EXPECT_EQ(r.covered[1], Verdict::Fail);
    EXPECT_EQ(r.covered[2], Verdict::Indeterminate);
    const std::string summary = adcCheckSummary(r, checkSettings());
    EXPECT_THAT(summary, testing::HasSubstr("counts (stated 2.000 counts: covered)"));
    EXPECT_THAT(summary, testing::HasSubstr("(stated 0.200 %: NOT covered)"));
    EXPECT_THAT(summary, testing::HasSubstr("(stated 1.000 counts: not told apart)"));
}

TEST(AdcCheck, ACalibratedCharacterisationCoversTheDacsTruth) {
    // Output C lies 1 mV high with an ideal gain; the ADC reads 1.5 counts high with a gain of
    // 0.3 % and a reference 0.1 % above the one it is told, beyond its stated terms: its own
    // figures miss the truth, the calibrated ones cover it.
    const std::string board = "offset=C:1,adc-offset=1.5,adc-gain=0.3,adc-vref=3.003,sigma=0.6";
    int covered = 0, missed = 0;
    for (int seed = 1; seed <= 3; ++seed) {
        Rig rig(board + ",seed=" + std::to_string(seed));
        const AdcCheckSettings cs = checkSettings();
        CharacteriseSettings s;
        s.output = 2;
        s.stride = 0x400;
        s.samples = 64;
        for (const bool calibrated : {false, true}) {
            if (calibrated) s.calibration = calibrationOf(check(rig, cs), cs, "virtual board");
            Characterisation run(rig.link.requests(), s);
            while (!run.done())
                run.next();
            const LinearityResult r = analyseLinearity(run.readings(), s);
            const bool coversOffset =
                std::abs(r.offsetMillivolts.value - 1) <= 2 * r.offsetMillivolts.uncertainty;
            const bool coversGain =
                std::abs(r.gainErrorPercent.value) <= 2 * r.gainErrorPercent.uncertainty;
            (calibrated ? covered : missed) += calibrated == (coversOffset && coversGain) ? 1 : 0;
        }
    }
    EXPECT_GE(covered, 2);
    EXPECT_EQ(missed, 3);
}

TEST(AdcCheck, AnIdealConverterSteppedACountAtATimeGivesItsTermsAndNoErrors) {
    // Codes 1600 to 2400 by 16 are counts 100 to 150 of an ideal converter at equal references,
    // each read twice alike, the meter exact at both ends. The transitions 102 to 148 (two
    // counts kept from each end) lie at k - 0.5, each uncertain by a whole step's place
    // (1/12 count^2) and one DAC step (1/16 count, as a limit): u^2 = 0.0846354. The end-point
    // line through 101.5 and 147.5 carries sqrt((147.5^2 + 101.5^2) u^2) / 46 = 1.13237 counts
    // at 0, with 10 ppm of the 10 V range (0.136533 counts, as a limit) 1.13511; the gain
    // 100 sqrt(2 u^2) / 46 = 0.89440 %; a DNL sqrt(2 u^2) = 0.41143. The largest INL's line
    // part, u^2 at an end, is random: it takes z / 2 = 3.26601 / 2 for 47 values (95 %),
    // sqrt(1.63300^2 u^2 + u^2) = 0.55708.
    AdcCheckSettings s = checkSettings();
    s.stride = 16;
    s.samples = 2;
    s.meter.accuracy = MeterAccuracy{0, 10};
    AdcCheckReadings r;
    for (int32_t code = 1600; code <= 2400; code += 16) {
        r.codes.push_back(code);
        r.counts.insert(r.counts.end(), 2, static_cast<uint16_t>(code / 16));
    }
    r.meter = {{1600, 1600 * 3.0 / 65536, 0}, {2400, 2400 * 3.0 / 65536, 0}};
    const AdcCheckResult result = analyseAdcCheck(r, s);
    ASSERT_TRUE(result.problem.empty()) << result.problem;
    EXPECT_EQ(result.firstCount, 102);
    ASSERT_EQ(result.transitions.size(), 47u);
    EXPECT_NEAR(result.transitions[10], 111.5, 1e-9);
    EXPECT_NEAR(result.transitionUncertainties[10], 0.290922, 1e-6);
    EXPECT_NEAR(result.offsetCounts.value, 0, 1e-9);
    EXPECT_NEAR(result.offsetCounts.uncertainty, 1.135114, 1e-6);
    EXPECT_NEAR(result.gainErrorPercent.uncertainty, 0.894403, 1e-6);
    EXPECT_NEAR(result.inl.figure.uncertainty, 0.557075, 1e-6);
    EXPECT_NEAR(result.dnl.figure.uncertainty, 0.411425, 1e-6);
    std::swap(r.meter[0].volts, r.meter[1].volts);
    EXPECT_THAT(analyseAdcCheck(r, s).problem,
                testing::StartsWith("the meter's readings do not rise with the code"));
    // Corrected with it: a count stands for the middle of its width, and beyond the table the
    // line count = 1.003 x + 1.5 gives (50 - 1.5) / 1.003 = 48.35494.
    // What the correction leaves, as limits: sqrt(3) u of the offset and gain; for INL and
    // DNL sqrt(3) u of a transition and half the DNL's size with its U, 0 + 2 x 0.41143.
    AdcCalibration c = calibrationOf(result, s, "virtual board at 1-1.4");
    EXPECT_EQ(c.board, "virtual board");
    EXPECT_NEAR(c.offsetLimit, 1.966075, 1e-6);
    EXPECT_NEAR(c.gainLimit, 1.549151, 1e-6);
    EXPECT_NEAR(c.inlLimit, 0.915316, 1e-6);
    c.transitions = {99.5, 100.7, 101.5, 102.5};
    c.firstCount = 100;
    c.offsetCounts = 1.5;
    c.gainErrorPercent = 0.3;
    using Case = std::pair<double, double>;  // count, input in counts
    for (const auto& [count, input] :
         {Case{100, 100.1}, Case{100.5, 100.6}, Case{102, 102.0}, Case{50, 48.354935}}) {
        EXPECT_NEAR(correctedCount(c, count), input, 1e-6) << count;
    }
}

TEST(AdcCheck, SettingsAreCheckedAtTheirBounds) {
    using Change = std::function<void(AdcCheckSettings&)>;
    for (const auto& [change, problem] : std::vector<std::pair<Change, const char*>>{
             {[](auto& s) {
                  s.stride = 256;
                  s.meterEvery = 256;
              },
              nullptr},
             {[](auto& s) {
                  s.stride = 257;
                  s.meterEvery = 257;
              },
              "the stride must be 1 to 256"},
             {[](auto& s) { s.stride = 0; }, "the stride must be 1 to 256"},
             {[](auto& s) {
                  s.stride = 8;
                  s.meterEvery = 7;
              },
              "the codes between meter"},
             {[](auto& s) { s.samples = 1; }, "the readings per step must be 2"},
             {[](auto& s) {
                  s.lowPercent = 50;
                  s.highPercent = 60;
              },
              nullptr},
             {[](auto& s) {
                  s.lowPercent = 50;
                  s.highPercent = 59.9;
              },
              "the range is LOW-HIGH"},
             {[](auto& s) { s.adcReference = 0; }, "a reference is a number of volts above 0"},
             {[](auto& s) { s.output = 4; }, "the ADC is checked on one channel"}}) {
        AdcCheckSettings s = checkSettings();
        change(s);
        const auto found = adcCheckSettingsProblem(s);
        EXPECT_EQ(found.has_value(), problem != nullptr) << (problem ? problem : "none");
        if (found && problem) {
            EXPECT_THAT(*found, testing::StartsWith(problem));
        }
    }
}
