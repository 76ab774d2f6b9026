// Decoding a whole copper result file with its plots, judging the test again and printing it as JSON.
#include <benchmark/benchmark.h>

#include <limits>

#include "copper/CopperBuilders.h"
#include "copper/CopperResultReader.h"
#include "serialization/JsonText.h"

namespace {

void BM_DecodeCat6AResult(benchmark::State& state) {
    const auto bytes = kx::test::cat6AResultFile();
    for (auto _ : state) {
        Kestrix::CopperResult result;
        auto st = Kestrix::CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
        benchmark::DoNotOptimize(st);
        benchmark::DoNotOptimize(result.test.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.counters["fileBytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_DecodeCat6AResult)->Unit(benchmark::kMillisecond);

void BM_RecertifyCat6A(benchmark::State& state) {
    const auto test = kx::test::cat6APermanentLinkTest();
    const float nvp = state.range(0) ? 69.0f : std::numeric_limits<float>::quiet_NaN();
    for (auto _ : state) benchmark::DoNotOptimize(test->recertify(nvp));
    state.counters["records"] = static_cast<double>(test->body.copperfreqs.freqs.size());
}
BENCHMARK(BM_RecertifyCat6A)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every plot's samples are in the JSON at every detail level: the arrays must be built once, not copied
// into each enclosing object.
void BM_Cat6AResultJson(benchmark::State& state) {
    const auto bytes = kx::test::cat6AResultFile();
    Kestrix::CopperResult result;
    if (Kestrix::CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size())) !=
        Kestrix::ResultReaderStatus::success) {
        state.SkipWithError("the sample result does not read");
        return;
    }
    const Dump::DumpFlags flags{static_cast<uint32_t>(state.range(0))};
    size_t chars = 0;
    for (auto _ : state) {
        const std::string json = Dump::toJsonString(result, flags, true);
        chars = json.size();
        benchmark::DoNotOptimize(json.data());
    }
    state.counters["jsonBytes"] = static_cast<double>(chars);
}
BENCHMARK(BM_Cat6AResultJson)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
