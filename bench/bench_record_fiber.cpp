// The fiber side of a record: a 4-wavelength OTDR record with 64k-sample traces from end 1 and end 2 (100
// event rows each) converted into every host object, traces and SR-4731 series included; and the
// bidirectional average of the pair through the record.
#include <benchmark/benchmark.h>

#include <memory>

#include "fiber/FiberResultWriter.h"
#include "fiber/OtdrBuilders.h"
#include "tester/record/TestRecordTarvel.h"

namespace {

constexpr uint32_t kSamples = 65536;
constexpr size_t kRows = 100;

const std::vector<uint8_t>& recordFile() {
    static const std::vector<uint8_t> file = [] {
        Kestrix::FiberResult r;
        r.summary = kx::test::otdrResult(1).summary;
        for (Kestrix::CableEnd end : {Kestrix::CableEnd::end1, Kestrix::CableEnd::end2})
            r.addTest(std::make_unique<Kestrix::FiberOtdrTest>(kx::test::otdrTestWithRows(end, kRows, kSamples)));
        std::vector<uint8_t> bytes;
        Kestrix::FiberResultWriter::writeResult(r, bytes);
        return bytes;
    }();
    return file;
}

// Every host object of both ends; returns a count so nothing is optimised away.
size_t convertAll(Kestrix::Tester::TestRecordTarvel& record) {
    size_t n = 0;
    for (int end : {1, 2}) {
        if (auto t = record.GetOtdrTest(end)) n += t->MergedEvents.size();
        if (auto p = record.GetOtdrPlotData(end, false)) {
            record.LoadBellcoreData(*p, end);
            n += p->Series.size() + p->BellcoreSeries.size();
        }
        n += record.GetTestedFiberWavlengths(end == 1 ? 24 : 25).size();
    }
    if (auto m = record.GetEventMapTest()) n += m->Events.size();
    if (auto s = record.GetSpanFromResult()) n += s->Wavelengths.size();
    return n;
}

void BM_FiberRecordEveryHostObject(benchmark::State& state) {
    Kestrix::Tester::TestRecordTarvel record(recordFile());
    if (record.GetFiberResult() == nullptr || !record.HasOtdrTest(2)) {
        state.SkipWithError("the record does not decode");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(convertAll(record));
    state.counters["fileBytes"] = static_cast<double>(recordFile().size());
}
BENCHMARK(BM_FiberRecordEveryHostObject)->Unit(benchmark::kMillisecond);

// The same with the record's one-time decoding of the file counted in.
void BM_FiberRecordDecodeAndEveryHostObject(benchmark::State& state) {
    for (auto _ : state) {
        Kestrix::Tester::TestRecordTarvel record(recordFile());
        benchmark::DoNotOptimize(convertAll(record));
    }
}
BENCHMARK(BM_FiberRecordDecodeAndEveryHostObject)->Unit(benchmark::kMillisecond);

void BM_FiberRecordBidirAverage(benchmark::State& state) {
    Kestrix::Tester::TestRecordTarvel record(recordFile());
    if (!record.GenerateOtdrBidirAvgFromResult().Test) {
        state.SkipWithError("the pair does not merge");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(record.GenerateOtdrBidirAvgFromResult());
}
BENCHMARK(BM_FiberRecordBidirAverage)->Unit(benchmark::kMillisecond);

}  // namespace
