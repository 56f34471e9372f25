// The characterisation read by the virtual board's meter, wired to output C: the figures must
// recover the injected errors at the meter's resolution, its stated accuracy must cover its
// own errors, a meter that goes away ends the run with what was measured, and the limits give
// guard-banded verdicts. Expected values are worked out by hand from the injected model.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include <functional>

#include "FakeDialogs.h"
#include "FreePort.h"
#include "VirtualLibrary.h"
#include "board/Board.h"
#include "board/Deliverable.h"
#include "board/Package.h"
#include "measure/Characterisation.h"
#include "measure/Linearity.h"
#include "measure/LinearityReport.h"

namespace {

const int kPort = freeLoopbackPort();

CharacteriseSettings withMeter(PlanKind plan, int32_t samples) {
    CharacteriseSettings s;
    s.output = 2;
    s.plan = plan;
    s.stride = 0x1000;
    s.samples = samples;
    s.meter = MeterSettings{};
    s.meter->resource = "TCPIP::127.0.0.1::" + std::to_string(kPort) + "::SOCKET";
    s.meter->timeout = std::chrono::milliseconds(2000);
    return s;
}

struct MeterRun {
    LinearityResult result;
    std::string identity;
    std::string failure;  // the meter's, when it failed mid-run
    int64_t measured = 0;
};

MeterRun characterise(const std::string& board, const CharacteriseSettings& s) {
    VirtualLibrary(kXT4830).reset(("meter=" + std::to_string(kPort) + ",probe=C," + board).c_str());
    FakeDialogs dialogs;
    FirstRefusalText refusal;
    Board link(kXT4830, kProgramDir, dialogs, refusal);
    EXPECT_TRUE(link.link().attemptOpen());
    link.requests().setDeviceAddress(busAddress(Package::Tssop));
    Meter meter(*s.meter, {});
    Characterisation run(link.requests(), s, &meter);
    MeterRun r;
    r.identity = meter.identity();
    try {
        while (!run.done())
            run.next();
    } catch (const MeterError& e) {
        r.failure = e.what();
    }
    r.measured = run.measured();
    r.result = analyseLinearity(run.readings(), s);
    return r;
}

const CodeResult& at(const LinearityResult& r, int32_t code) {
    for (const CodeResult& c : r.codes) {
        if (c.code == code) return c;
    }
    throw std::out_of_range("code not measured");
}

using Pick = std::function<Figure(const LinearityResult&)>;

// Over six seeds each injected value lies within two reported uncertainties at least five
// times, each uncertainty below the largest that still tells the figure.
void expectRecovered(const std::string& board, const CharacteriseSettings& s,
                     const std::vector<std::tuple<const char*, Pick, double, double>>& figures) {
    std::vector<int> within(figures.size(), 0);
    for (int seed = 1; seed <= 6; ++seed) {
        const MeterRun run = characterise(board + ",meter-sigma=2,seed=" + std::to_string(seed), s);
        ASSERT_TRUE(run.result.problem.empty()) << run.result.problem;
        for (std::size_t i = 0; i < figures.size(); ++i) {
            const auto& [what, pick, injected, largest] = figures[i];
            const Figure f = pick(run.result);
            EXPECT_LT(f.uncertainty, largest) << what;
            within[i] += std::abs(f.value - injected) <= 2 * f.uncertainty ? 1 : 0;
        }
    }
    for (std::size_t i = 0; i < figures.size(); ++i)
        EXPECT_GE(within[i], 5) << std::get<0>(figures[i]);
}

}  // namespace

TEST(MeterCharacterisation, ABowAndAnOffsetComeBackAtTheMetersResolution) {
    // The bow is 2 x 4x(1 - x) steps, 0 at both ends, so the end-point line through codes 0
    // and 0xFFFF is the ideal one, and the INL at 0x8000 (x = 0.500008) is 2 x (1 - 2.3e-10)
    // = 2.000 steps. The board's ADC (16 steps a count, +/-1 count of INL) could tell neither
    // this nor the offset.
    CharacteriseSettings s = withMeter(PlanKind::Grid, 16);
    s.line = FitLine::EndPoint;
    s.fitLowPercent = 0;
    s.fitHighPercent = 100;
    expectRecovered(
        "inl=C:2", s,
        {{"INL at 0x8000", [](const auto& r) { return *at(r, 0x8000).inl; }, 2.0, 0.05}});
    // The offset lifts every code by 0.1 mV (0xFFFF is held at the 3 V reference, outside the
    // least-squares line's 10-90 %): the line meets code 0 there, as does code 0 itself.
    expectRecovered(
        "offset=C:0.1", withMeter(PlanKind::Grid, 16),
        {{"zero-code error", [](const auto& r) { return *r.zeroCodeErrorMillivolts; }, 0.1, 0.002},
         {"offset", [](const auto& r) { return r.offsetMillivolts; }, 0.1, 0.002}});
}

TEST(MeterCharacterisation, AHalfStepFallIsResolvedAcrossTheCarry) {
    // From 0x8000 up the output lies half a step lower: the step into 0x8000 is 0.5 steps, a
    // DNL of -0.5; the line over the carries barely moves (-1e-5 steps a code).
    expectRecovered(
        "dnl=C:0x8000:-0.5", withMeter(PlanKind::Carries, 16),
        {{"DNL at 0x8000", [](const auto& r) { return *at(r, 0x8000).dnl; }, -0.5, 0.05},
         {"DNL at 0x4000", [](const auto& r) { return *at(r, 0x4000).dnl; }, 0, 0.05}});
    const MeterRun run =
        characterise("dnl=C:0x8000:-0.5,meter-sigma=2", withMeter(PlanKind::Carries, 16));
    EXPECT_TRUE(run.result.dnlResolved);
    EXPECT_FALSE(run.result.averagingLimited);
    EXPECT_EQ(run.result.dnlMin->code, 0x8000);
}

TEST(MeterCharacterisation, TheMetersStatedAccuracyCoversItsOwnErrors) {
    // The meter reads 20 uV high. Stated as 5 ppm of its 10 V range (50 uV, 28.9 uV standard),
    // the zero-code error 0.12 mV covers the output's true 0.1 mV; unstated, it does not.
    CharacteriseSettings s = withMeter(PlanKind::Grid, 4);
    const MeterRun unstated = characterise("offset=C:0.1,meter-offset=20", s);
    const Figure bare = *unstated.result.zeroCodeErrorMillivolts;
    EXPECT_NEAR(bare.value, 0.12, 0.0015);
    EXPECT_GT(std::abs(bare.value - 0.1), 2 * bare.uncertainty);
    s.meter->accuracy = MeterAccuracy{0, 5};
    const Figure stated =
        *characterise("offset=C:0.1,meter-offset=20", s).result.zeroCodeErrorMillivolts;
    EXPECT_NEAR(stated.uncertainty, 0.0289, 0.001);
    // The meter's identity goes into the provenance.
    Provenance p = provenanceOf(kXT4830, Package::Tssop, "virtual board");
    p.meter = unstated.identity;
    const auto j = nlohmann::json::parse(linearityJson(unstated.result, s, p));
    EXPECT_EQ(j["provenance"]["meter"], "XT4830,VIRTUAL-DMM,0,1.0");
    EXPECT_EQ(j["meter"]["accuracy_ppm_of_range"], 5.0);
    EXPECT_EQ(j["reader"], "meter");
}

TEST(MeterCharacterisation, AMeterThatGoesAwayEndsTheRunWithWhatWasMeasured) {
    // It answers 40 readings: 10 codes of 4, then closes the connection.
    const MeterRun run = characterise("meter-stop-after=40", withMeter(PlanKind::Grid, 4));
    EXPECT_THAT(run.failure, testing::HasSubstr("meter XT4830,VIRTUAL-DMM,0,1.0, reading (READ?)"));
    EXPECT_EQ(run.measured, 40);
    EXPECT_EQ(run.result.codes.size(), 10u);
    EXPECT_TRUE(run.result.problem.empty()) << run.result.problem;
}

TEST(Verdicts, GuardBandsAtTheirEdges) {
    using V = Verdict;
    using Case = std::tuple<double, double, double, Verdict>;  // value, U, limit, verdict
    for (const auto& [x, u, limit, verdict] :
         {Case{0.75, 0.25, 1.0, V::Pass}, Case{-0.75, 0.25, 1.0, V::Pass},
          Case{0.75, 0.25, 0.9375, V::Indeterminate}, Case{1.5, 0.25, 1.25, V::Indeterminate},
          Case{-1.5, 0.25, 1.125, V::Fail}, Case{1.5, 0.25, 1.125, V::Fail},
          Case{1.0, 0.0, 1.0, V::Pass}}) {
        EXPECT_EQ(guardBanded(x, u, limit), verdict) << x << " " << u << " " << limit;
    }
    const auto of = [](std::initializer_list<Verdict> list) {
        std::vector<FigureVerdict> v;
        for (const Verdict each : list)
            v.push_back({{}, 0.0, 0, each});
        return overallVerdict(v);
    };
    EXPECT_EQ(of({V::Pass, V::Indeterminate, V::Fail}), V::Fail);
    EXPECT_EQ(of({V::Pass, V::Indeterminate}), V::Indeterminate);
    EXPECT_EQ(of({V::Pass, V::Pass}), V::Pass);
    EXPECT_EQ(verdictStatus(V::Pass) * 100 + verdictStatus(V::Fail) * 10 +
                  verdictStatus(V::Indeterminate),
              56);
    std::string problem;
    for (const char* bad : {"inl-lsb", "inl=4", "inl-lsb=0", "inl-lsb=-1", "inl-lsb=x"})
        EXPECT_FALSE(parseLimit(bad, problem)) << bad;
    const auto limit = parseLimit("dnl-lsb=0.5", problem);
    ASSERT_TRUE(limit);
    EXPECT_EQ(limit->figure, 5);
    EXPECT_EQ(limit->value, 0.5);
}

TEST(Verdicts, EachLimitedFigureIsJudgedAndAMissingOneIsIndeterminate) {
    LinearityResult r;
    r.offsetMillivolts = {0.5, 0.125};          // U = 0.25
    r.inlMax.figure = {-3.0, 0.25};             // U = 0.5
    r.dnlMin = Extreme{{-0.75, 0.0625}, 0, 1};  // the larger in size
    r.dnlMax = Extreme{{0.5, 0.0625}, 0, 1};
    const std::vector<FigureVerdict> v =
        judgeFigures(r, {{0, 1.0}, {4, 3.25}, {5, 0.5}, {2, 1.0}});  // offset, INL, DNL, zero-code
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].verdict, Verdict::Pass);           // 0.5 + 0.25 <= 1
    EXPECT_EQ(v[1].verdict, Verdict::Indeterminate);  // 3 + 0.5 > 3.25 >= 3 - 0.5
    EXPECT_EQ(v[2].verdict, Verdict::Fail);           // 0.75 - 0.125 > 0.5
    EXPECT_EQ(*v[2].value, -0.75);
    EXPECT_EQ(v[3].verdict, Verdict::Indeterminate);  // not measured
    EXPECT_FALSE(v[3].value);
}
