// The program's own cost per meter reading: READ? to a meter over loopback and its answer
// read and checked. The meter is the virtual board's in another process (bench/meter.sh), so
// the CPU column is this program's share alone and the wall time the whole round trip.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "meter/Meter.h"

namespace {

void meterReading(benchmark::State& state) {
    const char* resource = std::getenv("XT4830_BENCH_METER");
    MeterSettings settings;
    settings.resource = resource != nullptr ? resource : "TCPIP::127.0.0.1::15025::SOCKET";
    Meter meter(settings, {});
    double sum = 0;
    for (auto _ : state)
        sum += meter.readVolts();
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(meterReading)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
