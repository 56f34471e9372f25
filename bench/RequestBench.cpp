// The program's own cost per board request, per point of a code sweep and per reading of a
// characterisation, against a driver library that does nothing.
#include <benchmark/benchmark.h>

#include <memory>

#include "board/Declare.h"
#include "board/Deliverable.h"
#include "board/LazyLibrary.h"
#include "driver_abi/DriverAbi.h"
#include "measure/Characterisation.h"
#include "measure/Sweep.h"

namespace {

class SilentDialogs : public Dialogs {
protected:
    Answer ask(const MessageBoxSpec&) override { return Answer::Ok; }
    void quit(int status) override { std::exit(status); }
};

SilentDialogs dialogs;
ErrorBoxForEach boxes(dialogs);
LazyLibrary nullLibrary(XT4830_NULL_DRIVER, dialogs);

std::unique_ptr<DriverLibrary> openedDriver(const Deliverable& deliverable) {
    std::unique_ptr<DriverLibrary> driver = deliverable.makeDriver(nullLibrary);
    FirmwarePathBytes path;
    path.SetFirmwarePath("/XT4830.hex");
    driver->attemptOpen("/XT4830.hex", path);
    return driver;
}

// The bare call into the library, for comparison.
void DirectLibraryCall(benchmark::State& state) {
    auto* request = reinterpret_cast<driver_abi::VendorIORequestFn*>(
        nullLibrary.resolve(driver_abi::kVendorIORequest));
    unsigned char byte = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(request(0xDE, 0x3E19, 0x8000, 0, 0, &byte));
    }
}

template <const Deliverable& deliverable>
void WriteDacWord(benchmark::State& state) {
    auto driver = openedDriver(deliverable);
    Declare declare(*driver, boxes);
    declare.setDeviceAddress(62);
    int32_t word = 0;
    for (auto _ : state) {
        declare.WriteDacWord(word);
        word = (word + 0x10001) & 0x3FFFFF;
    }
}

template <const Deliverable& deliverable>
void ReadAdc(benchmark::State& state) {
    auto driver = openedDriver(deliverable);
    Declare declare(*driver, boxes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(declare.ReadAdc());
    }
}

// One point of a sweep: the word composed on the command model, written, and read back.
template <const Deliverable& deliverable>
void OneSweepPoint(benchmark::State& state) {
    auto driver = openedDriver(deliverable);
    Declare declare(*driver, boxes);
    declare.setDeviceAddress(62);
    const SweepSettings settings{0, 0, 0xFFFF, 1};
    auto sweep = std::make_unique<Sweep>(declare, settings);
    for (auto _ : state) {
        if (sweep->done()) sweep = std::make_unique<Sweep>(declare, settings);
        benchmark::DoNotOptimize(sweep->next());
    }
}

// One reading of a characterisation's grid: summed into its code, a write at each new code.
void OneCharacterisationReading(benchmark::State& state) {
    auto driver = openedDriver(kXT4830);
    Declare declare(*driver, boxes);
    declare.setDeviceAddress(62);
    const CharacteriseSettings settings;  // 1025 codes, 256 readings each
    auto run = std::make_unique<Characterisation>(declare, settings);
    for (auto _ : state) {
        if (run->done()) run = std::make_unique<Characterisation>(declare, settings);
        run->next();
    }
}

}  // namespace

BENCHMARK(DirectLibraryCall);
BENCHMARK(OneCharacterisationReading);
BENCHMARK_TEMPLATE(OneSweepPoint, kXT4830Version2);
BENCHMARK_TEMPLATE(OneSweepPoint, kXT4830);
BENCHMARK_TEMPLATE(WriteDacWord, kXT4830Version2);
BENCHMARK_TEMPLATE(WriteDacWord, kXT4830);
BENCHMARK_TEMPLATE(ReadAdc, kXT4830Version2);
BENCHMARK_TEMPLATE(ReadAdc, kXT4830);
BENCHMARK_MAIN();
