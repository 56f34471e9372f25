#include "measure/Characterisation.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "board/Declare.h"
#include "command/CodeVoltage.h"
#include "measure/AdcRules.h"

namespace {

// The shuffled order is the same for every run, so a run can be repeated.
constexpr uint32_t kShuffleSeed = 4830;
constexpr int kTimedReadings = 16;

std::vector<CodeBlock> planOf(const CharacteriseSettings& s) {
    std::vector<CodeBlock> blocks = s.plan == PlanKind::Carries  ? carriesPlan()
                                    : s.plan == PlanKind::Window ? windowPlan(s.from, s.to)
                                    : s.plan == PlanKind::All    ? windowPlan(0, kFullScaleCode)
                                                                 : gridPlan(s.stride);
    if (s.shuffled) shuffleBlocks(blocks, kShuffleSeed);
    return blocks;
}

// The dither's k-th offset: 0, +1, -1, +2, -2, ... so that any number of readings spreads
// nearly evenly on both sides of the code.
int32_t zigzag(int64_t k) {
    const auto half = static_cast<int32_t>((k + 1) / 2);
    return k % 2 == 1 ? half : -half;
}

}  // namespace

std::optional<std::string> characteriseSettingsProblem(const CharacteriseSettings& s) {
    if (s.output < 0 || s.output > 3) {
        return "a characterisation reads one channel back: give A, B, C or D";
    }
    if (s.stride < 1 || s.stride > kFullScaleCode) return "the stride must be 1 to 0xFFFF";
    if (s.from < 0 || s.to > kFullScaleCode || s.to < s.from) {
        return "the window is FROM to TO, codes 0 to 0xFFFF, the last not below the first";
    }
    if (s.samples < 2 || s.samples > 1000000) {
        return "the readings per code must be 2 to 1000000: their spread is their uncertainty";
    }
    if (s.dither < 0 || s.dither > 4096) return "the dither must be 0 to 4096 codes";
    if (!(s.fitLowPercent >= 0 && s.fitLowPercent < s.fitHighPercent && s.fitHighPercent <= 100)) {
        return "the fit range is LOW-HIGH in percent of full scale, 0 <= LOW < HIGH <= 100";
    }
    if (!(s.dacReference > 0) || !std::isfinite(s.dacReference)) {
        return "the DAC reference is a number of volts above 0";
    }
    if (!(s.adcReference > 0) || !std::isfinite(s.adcReference)) {
        return "the ADC reference is a number of volts above 0";
    }
    if (s.meter && s.samples > kMostMeterSamples) {
        return "with a meter the readings per code must be 2 to " +
               std::to_string(kMostMeterSamples);
    }
    if (s.meter) {
        if (auto problem = meterSettingsProblem(*s.meter)) return problem;
    }
    if (auto problem = calibrationUseProblem(s.calibration.has_value(), s.meter.has_value()))
        return problem;
    for (const FigureLimit& limit : s.limits) {
        if (!(limit.value > 0) || !std::isfinite(limit.value)) return "a limit is a number above 0";
    }
    const AdcAccuracy& a = s.adc;
    for (const double limit : {a.offsetCounts, a.inlCounts, a.dnlCounts}) {
        if (!(limit >= 0 && limit <= 100))
            return "the ADC's offset, INL and DNL are 0 to 100 counts";
    }
    for (const double limit : {a.gainPercent, a.referencePercent}) {
        if (!(limit >= 0 && limit <= 10))
            return "the ADC's gain and reference tolerance are 0 to 10 %";
    }
    return std::nullopt;
}

double voltsPerCount(const CharacteriseSettings& s) {
    return s.meter ? kMeterVoltsPerCount : s.adcReference / kAdcCounts;
}

AdcAccuracy readerAccuracy(const CharacteriseSettings& s) {
    if (!s.meter && s.calibration) {
        const AdcCalibration& c = *s.calibration;
        return {c.offsetLimit, c.gainLimit, c.inlLimit, c.dnlLimit, 0};
    }
    if (!s.meter) return s.adc;
    if (!s.meter->accuracy) return {0, 0, 0, 0, 0};
    const MeterAccuracy& m = *s.meter->accuracy;
    // ppm of the range in volts is that many microvolts per volt of range.
    return {m.ppmOfRange * 1e-6 * s.meter->rangeVolts / kMeterVoltsPerCount, m.ppmOfReading * 1e-4,
            0, 0, 0};
}

double CodeReadings::mean() const {
    return count == 0 ? 0.0 : static_cast<double>(sum) / static_cast<double>(count);
}

double CodeReadings::mean(const std::optional<AdcCalibration>& calibration) const {
    return calibration ? correctedCount(*calibration, mean()) : mean();
}

double CodeReadings::variance() const {
    if (count < 2) return 0.0;
    // The sums are exact; the difference is taken in long double so that no rounding of a
    // large sum shows up as spread.
    const long double n = count;
    const long double spread = sumOfSquares - static_cast<long double>(sum) * sum / n;
    return std::max(0.0, static_cast<double>(spread / (n - 1)));
}

Characterisation::Characterisation(Declare& requests, const CharacteriseSettings& settings,
                                   Meter* meter)
    : requests_(requests), settings_(settings), meter_(meter) {
    composer_.chooseCommand(Command::WriteAndUpdate);
    composer_.chooseChannel(static_cast<Channel>(settings.output));
    std::map<int32_t, std::size_t> slotOfCode;
    for (const CodeBlock& codes : planOf(settings)) {
        Block block{codes, {0, 0}, {0, 0}};
        for (int i = 0; i < codes.size; ++i) {
            const int32_t code = codes.codes[static_cast<std::size_t>(i)];
            const auto [at, added] = slotOfCode.try_emplace(code, sums_.size());
            if (added) sums_.push_back({code});
            block.sumIndex[static_cast<std::size_t>(i)] = at->second;
            block.dither[static_cast<std::size_t>(i)] =
                std::min({settings.dither, code, kFullScaleCode - code});
        }
        total_ += int64_t{codes.size} * settings.samples;
        plan_.push_back(block);
    }
}

int64_t Characterisation::writesPlanned() const {
    int64_t writes = 0;
    for (const Block& b : plan_) {
        const bool oneCode = b.codes.size == 1 && b.dither[0] == 0;
        writes += oneCode ? 1 : int64_t{b.codes.size} * settings_.samples;
    }
    return writes;
}

int64_t Characterisation::requestsPlanned() const {
    return 1 + writesPlanned() + total_;  // the multiplexer, the writes, the readings
}

int32_t Characterisation::codeOfReading(const Block& block, int slot, int64_t round) const {
    const auto at = static_cast<std::size_t>(slot);
    const int32_t spread = block.dither[at];
    return block.codes.codes[at] + zigzag(round % (2 * int64_t{spread} + 1));
}

void Characterisation::write(int32_t code) {
    composer_.setCode(code);
    requests_.WriteDacWord(composer_.word());
    settleFor(settings_.settle, checkpoint_);
    written_ = code;
}

int64_t Characterisation::readCount() {
    if (meter_ == nullptr) return requests_.ReadAdc();
    return std::llround(meter_->readVolts() / kMeterVoltsPerCount);
}

void Characterisation::next() {
    if (measured_ == 0 && meter_ == nullptr) requests_.SelectMuxChannel(muxMask(settings_.output));
    const Block& block = plan_[block_];
    const auto slot = static_cast<int>(inBlock_ % block.codes.size);
    const int32_t code = codeOfReading(block, slot, inBlock_ / block.codes.size);
    if (written_ != code) write(code);
    const int64_t count = readCount();
    CodeReadings& sums = sums_[block.sumIndex[static_cast<std::size_t>(slot)]];
    ++sums.count;
    sums.sum += count;
    sums.sumOfSquares += count * count;
    if (sums.count % 2 == 0) {
        const auto d = static_cast<double>(count - sums.last);
        sums.pairSquares += d * d;
        sums.pairFourths += d * d * d * d;
    }
    sums.last = count;
    // A meter reads on either side of 0 V and far above the board's outputs.
    sums.clipped = sums.clipped || (meter_ == nullptr && (count <= 0 || count >= kTopCount));
    ++measured_;
    if (++inBlock_ == int64_t{block.codes.size} * settings_.samples) {
        ++block_;
        inBlock_ = 0;
    }
}

std::vector<CodeReadings> Characterisation::readings() const {
    std::vector<CodeReadings> taken;
    for (const CodeReadings& r : sums_) {
        if (r.count > 0) taken.push_back(r);
    }
    std::sort(taken.begin(), taken.end(),
              [](const CodeReadings& a, const CodeReadings& b) { return a.code < b.code; });
    return taken;
}

std::chrono::duration<double> timePerRequest(Declare& requests, int output) {
    requests.SelectMuxChannel(muxMask(output));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimedReadings; ++i)
        requests.ReadAdc();
    return (std::chrono::steady_clock::now() - start) / kTimedReadings;
}

std::chrono::duration<double> timePerReading(Meter& meter) {
    constexpr int kTimedMeterReadings = 4;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimedMeterReadings; ++i)
        meter.readVolts();
    return (std::chrono::steady_clock::now() - start) / kTimedMeterReadings;
}

std::chrono::duration<double> estimatedDuration(
    const Characterisation& run, std::chrono::duration<double> perRequest,
    std::optional<std::chrono::duration<double>> perReading) {
    const auto readings = static_cast<double>(run.total());
    return (static_cast<double>(run.requestsPlanned()) - readings) * perRequest +
           readings * perReading.value_or(perRequest) +
           static_cast<double>(run.writesPlanned()) *
               std::chrono::duration<double>(run.settings().settle);
}
