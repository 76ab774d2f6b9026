// The SR-4731 export of an OTDR test with four 64k-sample traces: one file per wavelength, in memory.
#include <benchmark/benchmark.h>

#include "fiber/OtdrBuilders.h"
#include "fiber/SorWriter.h"

namespace {

void BM_WriteSorAllWavelengths(benchmark::State& state) {
    const Kestrix::FiberOtdrTest t = kx::test::otdrTest(Kestrix::CableEnd::end1, 65536);
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (uint16_t wl : Kestrix::sorWavelengths(t)) {
            const auto file = Kestrix::writeSor(t, wl, "OTDR-PP-A01");
            bytes += file ? file->size() : 0;
            benchmark::DoNotOptimize(file);
        }
    }
    state.counters["fileBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteSorAllWavelengths)->Unit(benchmark::kMillisecond);

}  // namespace
