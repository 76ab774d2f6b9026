// Decoding OTDR results with four 64k-sample traces, and building bidirectional tests of 100-row tables.
#include <benchmark/benchmark.h>

#include "common/ResultEnvelope.h"
#include "fiber/FiberOtdrBidiAvg.h"
#include "fiber/FiberResultReader.h"
#include "fiber/FiberResultWriter.h"
#include "fiber/OtdrBuilders.h"
#include "serialization/ByteStreamReader.h"

namespace {
constexpr uint32_t kSamples = 65536;

void BM_ReadOtdrResultFile(benchmark::State& state) {
    // One OTDR test (end 1) with four traces, written by the fiber result writer.
    Kestrix::FiberResult result;
    result.summary = kx::test::otdrResult(1).summary;
    result.addTest(std::make_unique<Kestrix::FiberOtdrTest>(kx::test::otdrTest(Kestrix::CableEnd::end1, kSamples)));
    std::vector<uint8_t> file;
    if (Kestrix::FiberResultWriter::writeResult(result, file) != Kestrix::ResultWriterStatus::success) {
        state.SkipWithError("writing the result failed");
        return;
    }
    for (auto _ : state) {
        Kestrix::FiberResult back;
        auto st = Kestrix::FiberResultReader::readResult(back, file.data(), static_cast<uint32_t>(file.size()));
        benchmark::DoNotOptimize(st);
    }
    state.counters["fileBytes"] = static_cast<double>(file.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ReadOtdrResultFile)->Unit(benchmark::kMillisecond);

void BM_DeserializeOtdrSections(benchmark::State& state) {
    const Kestrix::FiberOtdrTest t = kx::test::otdrTest(Kestrix::CableEnd::end1, kSamples);
    std::vector<uint8_t> bytes = Kestrix::serializeToBytes(Kestrix::FiberOtdrTestBodyRef(t));
    const auto plots = Kestrix::serializeToBytes(t.plots);
    const auto raw = Kestrix::serializeToBytes(t.rawData);
    bytes.insert(bytes.end(), plots.begin(), plots.end());
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    for (auto _ : state) {
        Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
        Kestrix::FiberOtdrTest back;
        auto st = back.deserializeBody(r);
        st = back.deserializePlots(r);
        st = back.deserializeRawData(r);
        benchmark::DoNotOptimize(st);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DeserializeOtdrSections)->Unit(benchmark::kMillisecond);

void BM_CreateBidiTest100Rows(benchmark::State& state) {
    const Kestrix::FiberOtdrTest end1 = kx::test::otdrTestWithRows(Kestrix::CableEnd::end1, 100, 16);
    const Kestrix::FiberOtdrTest end2 = kx::test::otdrTestWithRows(Kestrix::CableEnd::end2, 100, 16);
    for (auto _ : state) {
        auto merged = Kestrix::createBidiTest(end1, end2, 1765000000);
        benchmark::DoNotOptimize(merged);
    }
}
BENCHMARK(BM_CreateBidiTest100Rows)->Unit(benchmark::kMicrosecond);

}  // namespace
