// The program's own cost per board request, per point of a code sweep and per reading of a
// characterisation, against a driver library that does nothing.
#include <benchmark/benchmark.h>

#include <memory>

#include "board/BoardIoDriver.h"
#include "board/Declare.h"
#include "board/HbkUsb4Driver.h"
#include "board/LazyLibrary.h"
#include "board/Variant.h"
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

std::unique_ptr<DriverLibrary> openedDriver(Variant variant) {
    std::unique_ptr<DriverLibrary> driver;
    if (variant == Variant::A) {
        driver = std::make_unique<HbkUsb4Driver>(nullLibrary, 1, 1);
    } else {
        driver = std::make_unique<BoardIoDriver>(nullLibrary);
    }
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

template <Variant variant>
void WriteDacWord(benchmark::State& state) {
    auto driver = openedDriver(variant);
    Declare declare(*driver, boxes);
    declare.setDeviceAddress(62);
    int32_t word = 0;
    for (auto _ : state) {
        declare.WriteDacWord(word);
        word = (word + 0x10001) & 0x3FFFFF;
    }
}

template <Variant variant>
void ReadAdc(benchmark::State& state) {
    auto driver = openedDriver(variant);
    Declare declare(*driver, boxes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(declare.ReadAdc());
    }
}

// One point of a sweep: the word composed on the command model, written, and read back.
template <Variant variant>
void OneSweepPoint(benchmark::State& state) {
    auto driver = openedDriver(variant);
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
    auto driver = openedDriver(Variant::B);
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
BENCHMARK_TEMPLATE(OneSweepPoint, Variant::A);
BENCHMARK_TEMPLATE(OneSweepPoint, Variant::B);
BENCHMARK_TEMPLATE(WriteDacWord, Variant::A);
BENCHMARK_TEMPLATE(WriteDacWord, Variant::B);
BENCHMARK_TEMPLATE(ReadAdc, Variant::A);
BENCHMARK_TEMPLATE(ReadAdc, Variant::B);
BENCHMARK_MAIN();
