// Drawing speed: one OTDR test of four 64k-sample traces to PNG, and a copper record's plots.
#include <benchmark/benchmark.h>

#include "copper/CopperBuilders.h"
#include "fiber/OtdrBuilders.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/RecordPlots.h"

namespace {

using namespace Kestrix::Report;

// Record decoding, plot conversion and drawing: what `kestrix plot FILE --end 1 -o OUT.png` does.
void BM_OtdrPlotPng4x64k(benchmark::State& state) {
    const auto bytes = kx::test::otdrResultFile(65536);
    PlotOptions o;
    o.end = 1;
    size_t size = 0;
    for (auto _ : state) {
        Kestrix::Tester::TestRecordTarvel record(bytes);
        const auto pictures = recordPictures(record, o);
        for (const auto& p : pictures) size += pngBytes(p).size();
    }
    benchmark::DoNotOptimize(size);
}
BENCHMARK(BM_OtdrPlotPng4x64k)->Unit(benchmark::kMillisecond);

// Drawing alone, the pictures made once.
void BM_OtdrDrawOnlyPng4x64k(benchmark::State& state) {
    Kestrix::Tester::TestRecordTarvel record(kx::test::otdrResultFile(65536));
    PlotOptions o;
    o.end = 1;
    const auto pictures = recordPictures(record, o);
    size_t size = 0;
    for (auto _ : state)
        for (const auto& p : pictures) size += pngBytes(p).size();
    benchmark::DoNotOptimize(size);
}
BENCHMARK(BM_OtdrDrawOnlyPng4x64k)->Unit(benchmark::kMillisecond);

void BM_CopperPlotsPng(benchmark::State& state) {
    const auto bytes = kx::test::cat6AResultFile();
    size_t size = 0;
    for (auto _ : state) {
        Kestrix::Tester::TestRecordTarvel record(bytes);
        for (const auto& p : recordPictures(record, {})) size += pngBytes(p).size();
    }
    benchmark::DoNotOptimize(size);
}
BENCHMARK(BM_CopperPlotsPng)->Unit(benchmark::kMillisecond);

}  // namespace
