// Where an import's time goes per record, stage by stage, on the simulator's copper link and its OTDR
// result from both ends: reading the summary, checking the container, decoding, building the host record,
// writing it as compact text, and creating the two files in an output folder.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SimStockResults.h"
#include "tester/import/ImportOutput.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"

namespace {

namespace fs = std::filesystem;
using Kestrix::Sim::StockKind;
using Kestrix::Tester::TarvelCom;
using Kestrix::Tester::TestRecordTarvel;

std::vector<uint8_t> resultOf(int64_t kind) {
    return Kestrix::Sim::stockResult(kind == 0 ? StockKind::copperPass : StockKind::otdrBothEnds, "B-0001", 1790000000);
}

void named(benchmark::State& state, int64_t kind) { state.SetLabel(kind == 0 ? "copper" : "otdr"); }

void BM_ReadSummary(benchmark::State& state) {
    const auto bytes = resultOf(state.range(0));
    for (auto _ : state) {
        TestRecordTarvel record(bytes);
        benchmark::DoNotOptimize(record.summaryStatus());
    }
    named(state, state.range(0));
}
BENCHMARK(BM_ReadSummary)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CheckContainer(benchmark::State& state) {
    const auto bytes = resultOf(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(TarvelCom::containerFault(bytes));
    named(state, state.range(0));
}
BENCHMARK(BM_CheckContainer)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state) {
    const auto bytes = resultOf(state.range(0));
    for (auto _ : state) {
        TestRecordTarvel record(bytes);
        benchmark::DoNotOptimize(state.range(0) == 0 ? static_cast<void*>(record.GetCopperResult())
                                                     : static_cast<void*>(record.GetFiberResult()));
    }
    named(state, state.range(0));
}
BENCHMARK(BM_Decode)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The host record of an already decoded result.
void BM_HostRecordDocument(benchmark::State& state) {
    TestRecordTarvel record(resultOf(state.range(0)));
    Kestrix::Tester::hostRecordJson(record);
    for (auto _ : state) benchmark::DoNotOptimize(Kestrix::Tester::hostRecordJson(record));
    named(state, state.range(0));
}
BENCHMARK(BM_HostRecordDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CompactText(benchmark::State& state) {
    TestRecordTarvel record(resultOf(state.range(0)));
    const Json::Value doc = Kestrix::Tester::hostRecordJson(record);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = Kestrix::Tester::compactJsonText(doc);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    named(state, state.range(0));
}
BENCHMARK(BM_CompactText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Everything a writer thread does for one record but the files: from the bytes to the host record file.
void BM_RecordFileFromBytes(benchmark::State& state) {
    const auto bytes = resultOf(state.range(0));
    for (auto _ : state) {
        TestRecordTarvel record(bytes);
        TarvelCom::setImportedMetaData(record, "Project", "Site");
        benchmark::DoNotOptimize(Kestrix::Tester::hostRecordFile(record));
    }
    named(state, state.range(0));
}
BENCHMARK(BM_RecordFileFromBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The two files of a record in a fresh output folder, many records one after another.
void BM_WriteRecordFiles(benchmark::State& state) {
    const auto bytes = resultOf(state.range(0));
    TestRecordTarvel record(bytes);
    const std::string json = Kestrix::Tester::hostRecordFile(record);
    const fs::path dir = fs::temp_directory_path() / ("kx-bench-import-" + std::to_string(::getpid()));
    constexpr size_t kRecords = 20000;
    std::vector<Kestrix::Import::PlannedRecord> planned;
    for (size_t i = 0; i < kRecords; ++i)
        planned.push_back({"P", "", "B-" + std::to_string(i), {"S", "p/" + std::to_string(i), int64_t(i)}});
    Kestrix::Import::ImportOutput out(dir);
    out.plan(planned);
    size_t i = 0;
    for (auto _ : state) {
        if (i == kRecords) {
            state.SkipWithError("more iterations than planned records");
            break;
        }
        out.write(i++, bytes, json);
    }
    out.sync();
    named(state, state.range(0));
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(BM_WriteRecordFiles)->Arg(0)->Arg(1)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
