// The characterisation against a virtual board with known errors: the figures must recover
// what was injected, within the uncertainty they report, over many seeds of the noise. The
// expected values come from the injected model, worked out by hand in the comments.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <map>

#include "FakeDialogs.h"
#include "RecordingDriver.h"
#include "VirtualLibrary.h"
#include "board/Board.h"
#include "board/Package.h"
#include "measure/Characterisation.h"
#include "measure/Linearity.h"
#include "measure/LinearityReport.h"

namespace {

// The whole run over the virtual board of the program directory, set up with settings.
LinearityResult characterise(const std::string& board, const CharacteriseSettings& settings) {
    VirtualLibrary(kXT4830).reset(board.c_str());
    FakeDialogs dialogs;
    FirstRefusalText refusal;
    Board link(kXT4830, kProgramDir, dialogs, refusal);
    EXPECT_TRUE(link.link().attemptOpen());
    link.requests().setDeviceAddress(busAddress(Package::Tssop));
    Characterisation run(link.requests(), settings);
    while (!run.done())
        run.next();
    EXPECT_FALSE(refusal.text()) << *refusal.text();
    return analyseLinearity(run.readings(), settings);
}

// The virtual board's ADC is ideal unless told otherwise: no stated inaccuracy.
constexpr AdcAccuracy kIdealAdc{0, 0, 0, 0, 0};

CharacteriseSettings grid(int32_t stride, int32_t samples) {
    CharacteriseSettings s;
    s.adc = kIdealAdc;
    s.stride = stride;
    s.samples = samples;
    return s;
}

CharacteriseSettings carries(int32_t samples) {
    CharacteriseSettings s;
    s.adc = kIdealAdc;
    s.plan = PlanKind::Carries;
    s.samples = samples;
    return s;
}

CharacteriseSettings window(int32_t from, int32_t to, int32_t samples) {
    CharacteriseSettings s = grid(1, samples);
    s.plan = PlanKind::Window;
    s.from = from;
    s.to = to;
    return s;
}

const CodeResult& at(const LinearityResult& r, int32_t code) {
    for (const CodeResult& c : r.codes) {
        if (c.code == code) return c;
    }
    throw std::out_of_range("code not measured");
}

struct Recovery {
    const char* what;
    std::function<Figure(const LinearityResult&)> figure;
    double injected;
    double largestUncertainty;  // an uncertainty above this would pass anything
};

// Over eight seeds the injected value lies within two reported uncertainties at least seven
// times (about 95 % of runs are expected to).
void expectRecovered(const std::string& board, const CharacteriseSettings& settings,
                     const std::vector<Recovery>& figures,
                     const std::function<void(const LinearityResult&)>& eachRun = {}) {
    std::vector<int> within(figures.size(), 0);
    for (int seed = 1; seed <= 8; ++seed) {
        const LinearityResult r =
            characterise(board + ",sigma=0.7,seed=" + std::to_string(seed), settings);
        ASSERT_TRUE(r.problem.empty()) << r.problem;
        if (eachRun) eachRun(r);
        for (std::size_t i = 0; i < figures.size(); ++i) {
            const Figure f = figures[i].figure(r);
            EXPECT_LT(f.uncertainty, figures[i].largestUncertainty) << figures[i].what;
            within[i] += std::abs(f.value - figures[i].injected) <= 2 * f.uncertainty ? 1 : 0;
        }
    }
    for (std::size_t i = 0; i < figures.size(); ++i)
        EXPECT_GE(within[i], 7) << figures[i].what << " on " << board;
}

}  // namespace

TEST(Characterisation, OffsetAndGainErrorComeBackWithinTheirUncertainty) {
    // The least-squares line through code x 3 / 65536 x (1 - 0.05 %) + 3 mV meets code 0 at
    // 3 mV and has a slope 0.05 % below the ideal one.
    expectRecovered("offset=A:3,gain=A:-0.05", grid(256, 256),
                    {{"offset", [](const auto& r) { return r.offsetMillivolts; }, 3.0, 0.01},
                     {"gain", [](const auto& r) { return r.gainErrorPercent; }, -0.05, 0.001},
                     {"INL at 0xC000", [](const auto& r) { return *at(r, 0xC000).inl; }, 0, 1}});
}

TEST(Characterisation, ABowIsTheIntegralNonLinearityAgainstTheEndPointLine) {
    // The bow is 6 x 4x(1 - x) steps, x = code / 65535. Code 0 reads 0 and 0xFFFF tops the ADC
    // out, so the end points are 0x1000 and 0xF000, where the bow is 1.40627 and 1.40594 steps;
    // at 0x8000, half way, the line lies 1.40611 steps up: INL 6 - 1.40611 = 4.594 steps. At
    // 0x4000 the bow is 4.50004, the line 1.40611: INL 3.094.
    CharacteriseSettings s = grid(0x1000, 4096);
    s.line = FitLine::EndPoint;
    s.fitLowPercent = 0;
    s.fitHighPercent = 100;
    const auto inlAt = [](int32_t code) {
        return [code](const LinearityResult& r) { return *at(r, code).inl; };
    };
    EXPECT_TRUE(linearityWarnings(characterise("inl=A:6,sigma=0.7", s), s).empty());
    expectRecovered("inl=A:6", s,
                    {{"INL at 0x8000", inlAt(0x8000), 4.594, 0.3},
                     {"INL at 0x4000", inlAt(0x4000), 3.094, 0.3},
                     {"offset", [](const auto& r) { return r.offsetMillivolts; }, 0.0644, 0.02}});
}

TEST(Characterisation, AFallingStepIsFoundAtItsCodeAndItsDnlRecovered) {
    // From 0x8000 up the output lies 1.5 steps lower: the step into 0x8000 is 1 - 1.5 = -0.5
    // steps, a DNL of -1.5; the output falls there.
    expectRecovered("dnl=A:0x8000:-1.5", carries(32768),
                    {{"DNL at 0x8000", [](const auto& r) { return *at(r, 0x8000).dnl; }, -1.5, 0.1},
                     {"DNL at 0x4000", [](const auto& r) { return *at(r, 0x4000).dnl; }, 0, 0.1}},
                    [](const LinearityResult& r) {
                        EXPECT_TRUE(r.dnlResolved);
                        EXPECT_EQ(r.monotonic, false);
                        EXPECT_EQ(r.firstNonMonotonicCode, 0x8000);
                        EXPECT_EQ(r.dnlMin->code, 0x8000);
                    });
}

TEST(Characterisation, TheIdealBoardGivesExactlyZeroErrors) {
    // Every 0x400th code is a whole number of counts, which an ideal ADC reads exactly.
    const CharacteriseSettings s = grid(0x400, 8);
    const LinearityResult r = characterise("", s);
    ASSERT_TRUE(r.problem.empty());
    EXPECT_EQ(r.offsetMillivolts.value, 0);
    EXPECT_EQ(r.gainErrorPercent.value, 0);
    EXPECT_EQ(r.inlMax.figure.value, 0);
    EXPECT_EQ(r.totalUnadjustedErrorLsb.figure.value, 0);
    EXPECT_EQ(r.lsbPerAdcCount, 16);
    EXPECT_EQ(r.monotonic, std::nullopt);
    // Noiseless readings cannot be averaged between counts: said, and in the uncertainty
    // (1/sqrt(12) of a count, 4.6 steps, at each code).
    EXPECT_TRUE(r.averagingLimited);
    EXPECT_GT(r.inlMax.figure.uncertainty, 4.5);
    EXPECT_THAT(linearityWarnings(r, s).at(0), testing::HasSubstr("Add a dither of about 16"));
    // Across the carries the quiet ADC reads both codes of a pair alike: a DNL of -1 that
    // it cannot resolve, and says so.
    const LinearityResult pairs = characterise("", carries(8));
    EXPECT_EQ(at(pairs, 0x8000).dnl->value, -1);
    EXPECT_FALSE(pairs.dnlResolved);
    EXPECT_EQ(pairs.monotonic, std::nullopt);
}

TEST(Characterisation, DitherLetsAQuietBoardAverageBetweenCounts) {
    // 3 mV is 4.096 counts: without noise every reading at a code is the same count, so the
    // line is off by up to half a count; a dither of 16 codes spreads the readings over two
    // counts, and the line's offset comes back.
    CharacteriseSettings s = grid(0x400, 256);
    const LinearityResult quiet = characterise("offset=A:3", s);
    EXPECT_TRUE(quiet.averagingLimited);
    s.dither = 16;
    const LinearityResult dithered = characterise("offset=A:3", s);
    EXPECT_FALSE(dithered.averagingLimited);
    EXPECT_NEAR(dithered.offsetMillivolts.value, 3.0, 2 * dithered.offsetMillivolts.uncertainty);
    EXPECT_LT(dithered.offsetMillivolts.uncertainty, 0.02);
}

TEST(Characterisation, DnlFinerThanTheReadingsResolveIsMarkedUnresolved) {
    using Case = std::tuple<int32_t, int32_t, bool>;  // readings per code, dither, resolved
    for (const auto& [samples, dither, resolved] :
         {Case{256, 0, false}, Case{8192, 0, true}, Case{8192, 4, false}}) {
        CharacteriseSettings s = carries(samples);
        s.dither = dither;
        const LinearityResult r = characterise("sigma=0.7,seed=1", s);
        EXPECT_EQ(r.dnlResolved, resolved) << samples << " " << dither;
    }
    // A grid measures no one-code step at all.
    const LinearityResult r = characterise("sigma=0.7,seed=1", grid(0x400, 16));
    EXPECT_FALSE(r.dnlMin);
    EXPECT_FALSE(r.dnlResolved);
}

TEST(Characterisation, PairsAlternateAndDitherSpreadsEachCodesReadingsBothWays) {
    Rig rig;
    CharacteriseSettings s = carries(2);
    s.output = 2;
    Characterisation pairs(rig.declare, s);
    EXPECT_EQ(pairs.total(), 64);  // 16 pairs, 2 codes, 2 readings each
    for (int i = 0; i < 4; ++i)
        pairs.next();
    // The multiplexer on C, then write and read 0, 1, 0, 1: "Write to and Update DAC C" (the
    // rig's bus address is 0).
    using Sent = RecordingDriver::Sent;
    EXPECT_EQ(rig.driver.sent[0], (Sent{0xDF, 0x9804, 0, 0, 0}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rig.driver.sent[1 + 2 * i], (Sent{0xDE, 0x001A, i % 2, 0, 0}));
        EXPECT_EQ(rig.driver.sent[2 + 2 * i], (Sent{0xDA, 0, 0, 1, 3}));
    }
    Rig dithered;
    s = grid(0x8000, 5);
    s.dither = 2;
    Characterisation spread(dithered.declare, s);
    // The multiplexer, a write each for 0 and 0xFFFF and five for 0x8000, 15 readings.
    EXPECT_EQ(spread.requestsPlanned(), 1 + 7 + 15);
    while (!spread.done())
        spread.next();
    std::vector<int> written;
    for (const auto& r : dithered.driver.sent) {
        if (r[0] == 0xDE) written.push_back(r[2]);
    }
    // Code 0 cannot spread; 0x8000 takes 0, +1, -1, +2, -2; 0xFFFF cannot spread either.
    EXPECT_EQ(written, (std::vector<int>{0, 0x8000, 0x8001, 0x7FFF, 0x8002, 0x7FFE, 0xFFFF}));
    EXPECT_EQ(spread.readings().size(), 3u);
    EXPECT_EQ(spread.readings()[1].count, 5);
    // A dense window: every code from its first to its last, once each.
    Rig window;
    s = grid(1, 2);
    s.plan = PlanKind::Window;
    s.from = 0x7FFE;
    s.to = 0x8001;
    Characterisation dense(window.declare, s);
    while (!dense.done())
        dense.next();
    written.clear();
    for (const auto& r : window.driver.sent) {
        if (r[0] == 0xDE) written.push_back(r[2]);
    }
    EXPECT_EQ(written, (std::vector<int>{0x7FFE, 0x7FFF, 0x8000, 0x8001}));
    EXPECT_EQ(dense.total(), 8);
}

TEST(Characterisation, TheEndPointLinesUncertaintyFollowsFromTheMeans) {
    // Two codes, 0x2000 and 0xE000, each 100 readings of spread 1 count around 1 count above
    // their ideal 512 and 3584. The line's offset is 1 count, 0.732421875 mV; it is
    // 1 + 8192/49152 times the first mean less 8192/49152 times the second, so its
    // uncertainty is sqrt(1.16667^2 + 0.16667^2) x 0.1 = 0.11785 counts, 0.086316 mV.
    const auto readings = [](int32_t code, int64_t ideal) {
        // 50 readings one count below the mean, 50 one above: variance 100/99.
        const int64_t low = ideal, high = ideal + 2;
        return CodeReadings{code, 100, 50 * (low + high), 50 * (low * low + high * high), false};
    };
    CharacteriseSettings s;
    s.adc = kIdealAdc;
    s.line = FitLine::EndPoint;
    const LinearityResult r = analyseLinearity({readings(0x2000, 512), readings(0xE000, 3584)}, s);
    EXPECT_DOUBLE_EQ(r.offsetMillivolts.value, 0.732421875);
    // Two values alone are not the shape of noise ahead of the converter, so each mean may
    // also be off by up to half a count from the rounding: 0.5 / sqrt(3) x (1.16667 + 0.16667)
    // counts, 0.28190 mV, with it.
    EXPECT_NEAR(r.offsetMillivolts.uncertainty,
                std::hypot(0.086316 * std::sqrt(100 / 99.0), 0.281909), 1e-5);
    EXPECT_DOUBLE_EQ(r.gainErrorPercent.value, 0);
    EXPECT_NEAR(r.noiseCounts, std::sqrt(100 / 99.0), 1e-12);
    EXPECT_FALSE(r.noiseBeforeConverter);
    EXPECT_THAT(linearitySummary(r, s),
                testing::StartsWith("Line: end-point over 10-90 % of full scale, 2 codes\n"
                                    "Plan: grid, stride 64, 256 readings per code\n"
                                    "Resolution: 16.00 DAC steps per ADC count\n"
                                    "Noise: 1.005 ADC counts (standard deviation), none "
                                    "ahead of the converter\n"
                                    "Rounding bias: 0.5000 ADC counts at most in a mean\n"
                                    "Board ADC accuracy: offset 0.00, INL 0.00, DNL 0.00 counts; "
                                    "gain 0.000 %, reference 0.000 % (data-sheet limits)\n"
                                    "Offset error: 0.7324 +/- 0.2950 mV\n"));
    // Both codes lie on the line, but each may be off by half a count of rounding: 2 x 0.5 /
    // sqrt(3) counts, 9.24 steps, for the INL there, so the largest INL of 0 is said to be no
    // more than its uncertainty allows.
    EXPECT_THAT(linearitySummary(r, s), testing::HasSubstr("over 2 codes (2u = 18.48 LSB)"));
    // Least squares through three exact codes of a quiet board: at code 0 the weights are 1,
    // 1/3 and -1/3, so the offset is uncertain by 0.5 / sqrt(3) x 5/3 counts, 0.352387 mV; the
    // middle code's INL by 0.5 / sqrt(3) x (1 + 3 x 1/3) counts, 9.23760 steps.
    const auto exact = [](int32_t code, int64_t count) {
        return CodeReadings{code, 4, 4 * count, 4 * count * count, false};
    };
    CharacteriseSettings lsq;
    lsq.adc = kIdealAdc;
    const LinearityResult quiet =
        analyseLinearity({exact(0x2000, 512), exact(0x8000, 2048), exact(0xE000, 3584)}, lsq);
    EXPECT_NEAR(quiet.offsetMillivolts.uncertainty, 0.352387, 1e-6);
    EXPECT_NEAR(at(quiet, 0x8000).inl->uncertainty, 9.23760, 1e-5);
    // With an ADC of 2 counts' offset and 0.1 % gain and reference tolerances: the offset adds
    // 2 / sqrt(3) counts, 0.916206 mV in all; the gain error 0.141421 / sqrt(3) %, beside the
    // rounding's 0.288675 x 16 / 24576 x 100 %, 0.083785 % in all.
    lsq.adc = {2, 0.1, 0, 0, 0.1};
    const LinearityResult adc =
        analyseLinearity({exact(0x2000, 512), exact(0x8000, 2048), exact(0xE000, 3584)}, lsq);
    EXPECT_NEAR(adc.offsetMillivolts.uncertainty, 0.916206, 1e-6);
    EXPECT_NEAR(adc.gainErrorPercent.uncertainty, 0.083785, 1e-6);
    s.plan = PlanKind::Window;
    s.from = 0x7FF0;
    s.to = 0x8010;
    EXPECT_EQ(linearityTable(r, s).at(1).value, "window 0x7FF0 to 0x8010, 256 readings per code");
    // Two readings, 1 and 2: variance 0.5.
    EXPECT_EQ((CodeReadings{0, 2, 3, 5, false}.variance()), 0.5);
    EXPECT_EQ(analyseLinearity({readings(0x2000, 512)}, s).problem,
              "fewer than two measured codes lie in the fit range, 10.0-90.0 % of full scale "
              "(codes 0x199A to 0xE665), without reading at an end of the ADC: measure codes "
              "there or widen the fit range");
}

TEST(Characterisation, SettingsThatCannotRunAreNamed) {
    using Case = std::pair<std::function<void(CharacteriseSettings&)>, const char*>;
    for (const auto& [change, words] : std::vector<Case>{
             {[](auto& s) { s.output = 4; }, "give A, B, C or D"},
             {[](auto& s) { s.stride = 0; }, "stride must be 1 to 0xFFFF"},
             {[](auto& s) { s.samples = 1; }, "2 to 1000000"},
             {[](auto& s) { s.dither = 4097; }, "dither must be 0 to 4096"},
             {[](auto& s) { s.fitLowPercent = 90; }, "0 <= LOW < HIGH <= 100"},
             {[](auto& s) { s.fitHighPercent = 101; }, "0 <= LOW < HIGH <= 100"},
             {[](auto& s) { s.dacReference = 0; }, "DAC reference"},
             {[](auto& s) { s.from = 0x8001, s.to = 0x8000; }, "the last not below the first"},
         }) {
        CharacteriseSettings s;
        change(s);
        EXPECT_THAT(characteriseSettingsProblem(s).value_or(""), testing::HasSubstr(words));
    }
    for (const auto& edge : std::vector<std::function<void(CharacteriseSettings&)>>{
             [](auto& s) { s.stride = 0xFFFF; },
             [](auto& s) { s.from = s.to = 0xFFFF; },
             [](auto& s) { s.dither = 4096; },
             [](auto& s) { s.fitLowPercent = 0, s.fitHighPercent = 100; },
         }) {
        CharacteriseSettings s;
        edge(s);
        EXPECT_FALSE(characteriseSettingsProblem(s));
    }
}

namespace {

// One DAC step is 3 V / 65536, 0.0457764 mV.
constexpr double kStepMv = 3000.0 / 65536;

// The DAC the virtual board is told to be: its output less the ideal, in steps, is
// code x gain + offset + bow x 4x(1 - x), x = code / 65535.
struct Injected {
    double offsetMv = 0, gainPct = 0, bowLsb = 0;
    double errorSteps(int32_t code) const {
        const double x = code / 65535.0;
        return code * gainPct / 100 + offsetMv / kStepMv + bowLsb * 4 * x * (1 - x);
    }
};

// The figures of that DAC over the codes a run could use (those not read at an end of the
// ADC), the line by least squares over 10 to 90 % of full scale (codes 0x199A to 0xE665).
struct Truth {
    double offsetMv = 0, gainPct = 0;
    std::vector<double> inl;  // per code of the run
    double inlMax = 0, tue = 0;
    std::optional<double> zeroMv, fullMv;
};

Truth truthOf(const Injected& dac, const LinearityResult& r) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const CodeResult& c : r.codes) {
        if (c.clipped || c.code < 0x199A || c.code > 0xE665) continue;
        const double x = c.code, y = dac.errorSteps(c.code);
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double at0 = (sy - slope * sx) / n;
    Truth t{at0 * kStepMv, slope * 100, {}, 0, 0, {}, {}};
    for (const CodeResult& c : r.codes) {
        const double e = dac.errorSteps(c.code);
        t.inl.push_back((e - at0 - slope * c.code) / (1 + slope));
        if (c.clipped) continue;
        if (std::abs(t.inl.back()) > std::abs(t.inlMax)) t.inlMax = t.inl.back();
        if (std::abs(e) > std::abs(t.tue)) t.tue = e;
        if (c.code == 0) t.zeroMv = e * kStepMv;
        if (c.code == 0xFFFF) t.fullMv = e * kStepMv;
    }
    return t;
}

// Per figure, the runs whose two uncertainties reached its truth, and all runs.
using Tallies = std::map<std::string, std::pair<int, int>>;

void tally(Tallies& t, const std::string& what, std::optional<Figure> f,
           std::optional<double> truth) {
    if (!f || !truth) return;
    auto& [within, runs] = t[what];
    within += std::abs(f->value - *truth) <= 2 * f->uncertainty ? 1 : 0;
    ++runs;
}

Figure sizeOf(Figure f) {
    return {std::abs(f.value), f.uncertainty};
}

struct Regime {
    const char* name;
    std::function<std::pair<std::string, Injected>(int)> run;  // the board of run 1 to 20
    CharacteriseSettings settings;
};

std::function<std::pair<std::string, Injected>(int)> seeded(const std::string& board,
                                                            Injected dac) {
    return [board, dac](int run) { return std::pair{board + ",seed=" + std::to_string(run), dac}; };
}

}  // namespace

TEST(Characterisation, StatedUncertaintiesCoverTheInjectedTruthInEveryRegime) {
    const std::string bowed = "offset=A:3,gain=A:-0.3,inl=A:6,sigma=0.7";
    const Injected bow{3, -0.3, 6};
    const std::string adcErrors =
        ",adc-offset=1.5,adc-gain=0.05,adc-inl=0.8,adc-dnl=2000:0.5,adc-vref=2.9985";
    const std::vector<Regime> regimes{
        // No noise: every reading of a code alike, the offset over one ADC count in 20 steps.
        {"quiet board",
         [](int run) {
             const double mv = 0.732421875 * run / 20;
             return std::pair{"offset=A:" + std::to_string(mv), Injected{mv, 0, 0}};
         },
         grid(64, 2)},
        {"spread after rounding", seeded("offset=A:0.3,inl=A:6,noise=1", {0.3, 0, 6}),
         grid(0x400, 1024)},
        {"just above half a count", seeded("offset=A:0.1831,sigma=0.42", {0.1831, 0, 0}),
         grid(0x400, 4096)},
        {"2 readings", seeded("sigma=0.7", {}), grid(64, 2)},
        {"3 readings", seeded("sigma=0.7", {}), grid(64, 3)},
        {"16 readings", seeded("sigma=0.7", {}), grid(64, 16)},
        {"carries", seeded("sigma=0.7", {}), carries(256)},
        // 2047 steps each tested for a fall.
        {"dense window", seeded("sigma=0.7", {}), window(0x8000, 0x87FF, 8)},
        {"board ADC errors", seeded(bowed + adcErrors, bow),
         [] {
             CharacteriseSettings s;  // a typical converter's stated accuracy
             s.stride = 256;
             return s;
         }()},
        {"default settings", seeded(bowed, bow), CharacteriseSettings{}},
    };
    for (const Regime& regime : regimes) {
        Tallies t;
        for (int run = 1; run <= 20; ++run) {
            const auto [board, dac] = regime.run(run);
            const LinearityResult r = characterise(board, regime.settings);
            ASSERT_EQ(r.problem, "") << regime.name;
            const Truth truth = truthOf(dac, r);
            tally(t, "offset", r.offsetMillivolts, truth.offsetMv);
            tally(t, "gain", r.gainErrorPercent, truth.gainPct);
            // An extreme's interval is of its size: the truth's may lie at another code.
            tally(t, "largest INL", sizeOf(r.inlMax.figure), std::abs(truth.inlMax));
            tally(t, "TUE", sizeOf(r.totalUnadjustedErrorLsb.figure), std::abs(truth.tue));
            tally(t, "zero-code error", r.zeroCodeErrorMillivolts, truth.zeroMv);
            tally(t, "full-scale error", r.fullScaleErrorMillivolts, truth.fullMv);
            tally(t, "smallest DNL", r.dnlMin ? std::optional(r.dnlMin->figure) : std::nullopt, 0);
            tally(t, "largest DNL", r.dnlMax ? std::optional(r.dnlMax->figure) : std::nullopt, 0);
            for (std::size_t i = 0; i < r.codes.size(); ++i) {
                tally(t, "each code's INL", r.codes[i].inl, truth.inl[i]);
                EXPECT_NE(r.codes[i].inl.value_or(Figure{0, 1}).uncertainty, 0) << regime.name;
            }
            EXPECT_EQ(r.adcLimited, regime.settings.adc.inlCounts > 0) << regime.name;
            EXPECT_NE(r.monotonic, false) << "no DAC here falls: " << regime.name << " " << run;
        }
        for (const auto& [what, counts] : t)
            EXPECT_GE(counts.first, 0.9 * counts.second) << what << ", " << regime.name;
    }
}

TEST(Characterisation, MonotonicityIsClaimedOnlyForTheStepsMeasured) {
    struct Case {
        const char* board;
        CharacteriseSettings settings;
        std::optional<bool> monotonic;
        std::string says;
    };
    for (const auto& [board, settings, monotonic, says] : std::vector<Case>{
             // A fall of 19 steps at 0x8000 lies between grid codes 64 apart, which still rise.
             {"dnl=A:0x8000:-20,sigma=0.7", grid(64, 16), std::nullopt,
              "unknown: no adjacent codes measured"},
             // 0x1234 is no carry; codes below 8 read 0 (clipped) on a quiet board, so the
             // steps are those into 16, 32, ... 0x8000.
             {"dnl=A:0x1234:-3", carries(2), std::nullopt, "unknown: 12 carry steps measured"},
             // A quiet board's readings are exact: a fall of 1.2 counts is beyond doubt.
             {"dnl=A:0x8000:-20", carries(2), false, "no: the output falls at 0x8000"},
             // 4096 readings with 0.5 counts of noise measure each step to about 0.2 steps.
             {"sigma=0.5", window(0x8000, 0x803F, 4096), true,
              "yes: 63 steps from 0x8000 to 0x803F"},
             {"dnl=A:0x8020:-3,sigma=0.5", window(0x8000, 0x803F, 4096), false,
              "no: the output falls at 0x8020"},
             // 8 readings cannot see a fall of one step, so all of them measured proves nothing.
             {"sigma=0.7", window(0x8000, 0x83FF, 8), std::nullopt,
              "unknown: 1023 steps from 0x8000 to 0x83FF measured too coarsely"},
         }) {
        const LinearityResult r = characterise(board, settings);
        ASSERT_EQ(r.problem, "");
        EXPECT_EQ(r.monotonic, monotonic) << board;
        EXPECT_THAT(linearitySummary(r, settings), testing::HasSubstr("Monotonic: " + says));
        const auto json = nlohmann::json::parse(linearityJson(r, settings, {}));
        EXPECT_EQ(json["monotonic"].is_null(), !monotonic) << board;
    }
    // The same plan's DNL names its steps too.
    const LinearityResult r = characterise("dnl=A:0x1234:-3", carries(2));
    EXPECT_THAT(linearitySummary(r, carries(2)),
                testing::HasSubstr("smallest of 12 steps (12 carry steps)"));
}

TEST(Characterisation, AnOutputThatDoesNotFollowTheCodeOrMissesTheFitRangeGivesNoFigures) {
    using Case = std::tuple<const char*, CharacteriseSettings, const char*>;
    for (const auto& [board, settings, says] : {
             Case{"stuck=A:0x8000,sigma=0.7", grid(0x400, 16),
                  "the output does not follow the code"},
             Case{"sigma=0.7", window(0x100, 0x200, 4),
                  "fit range, 10.0-90.0 % of full scale (codes 0x199A to 0xE665)"},
         }) {
        const LinearityResult r = characterise(board, settings);
        EXPECT_THAT(r.problem, testing::HasSubstr(says)) << board;
    }
}
