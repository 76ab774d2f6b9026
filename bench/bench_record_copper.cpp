// The copper side of a record: the Cat 6A sample into every copper host object (plots with limit curves,
// wiremap text and picture), and recertification against a limit from a copper limit database.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include <unistd.h>

#include "copper/CopperBuilders.h"
#include "copper/LimitDbBuilders.h"
#include "tester/db/CopperLimitsTbl.h"
#include "tester/record/CopperRecordJson.h"
#include "tester/record/TestRecordTarvel.h"

namespace {

using Kestrix::Tester::TestRecordTarvel;

size_t everyCopperObject(TestRecordTarvel& record) {
    size_t n = 0;
    for (int id : Kestrix::Tester::copperScalarTestIds()) n += record.GetScalarTest(id).has_value();
    for (int id : Kestrix::Tester::copperFrequencyTestIds()) n += record.GetFrequencyTest(id).has_value();
    for (int id : Kestrix::Tester::copperPlotTestIds())
        for (int end = 1; end <= 2; ++end) n += record.GetPlotDataTp(id, end).has_value();
    n += record.GetTdrCoaxTest().has_value();
    n += record.GetWireMapText().size();
    if (const auto w = record.GetWireMapTest()) n += record.GetWireMapBitmap(*w).has_value();
    return n;
}

// A fresh record each time: decoding the file is part of the conversion.
void BM_Cat6AIntoEveryCopperHostObject(benchmark::State& state) {
    const auto bytes = kx::test::cat6AResultFile();
    size_t objects = 0;
    {
        TestRecordTarvel warm(bytes);  // fontconfig loads its configuration once per process
        objects = everyCopperObject(warm);
    }
    for (auto _ : state) {
        TestRecordTarvel record(bytes);
        benchmark::DoNotOptimize(everyCopperObject(record));
    }
    state.counters["objects"] = static_cast<double>(objects);
}
BENCHMARK(BM_Cat6AIntoEveryCopperHostObject)->Unit(benchmark::kMillisecond);

void BM_Cat6AWiremapPicture(benchmark::State& state) {
    TestRecordTarvel record(kx::test::cat6AResultFile());
    const auto test = record.GetWireMapTest();
    for (auto _ : state) benchmark::DoNotOptimize(record.GetWireMapBitmap(*test));
}
BENCHMARK(BM_Cat6AWiremapPicture)->Unit(benchmark::kMicrosecond);

void BM_RecertifyWithLimitFromDatabase(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / ("kx-bench-culim-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::vector<Kestrix::Tester::CopperLimitsTbl::Row> rows;
        int64_t key = 1;
        for (const auto& l : kx::test::limitDbLimits())
            rows.push_back(Kestrix::Tester::CopperLimitsTbl::rowOf(key++, l));
        const auto db = Kestrix::Tester::CopperLimitsTbl::writeDatabase(rows);
        std::ofstream(dir / "culim.mnts", std::ios::binary)
            .write(reinterpret_cast<const char*>(db.data()), static_cast<std::streamsize>(db.size()));
    }
    const auto bytes = kx::test::cat6AResultFile();
    TestRecordTarvel record(bytes);
    if (!record.InitSpecDb(dir.string(), "V10.2")) state.SkipWithError("limit database not loaded");
    const float nvp = state.range(0) ? 69.5f : std::numeric_limits<float>::quiet_NaN();
    int status = -1;
    for (auto _ : state) {
        const auto res = record.Recertify(bytes, "TIA Cat 6A Channel", nvp);
        status = res ? res->rcStatus : -1;
        benchmark::DoNotOptimize(status);
    }
    state.counters["rcStatus"] = status;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_RecertifyWithLimitFromDatabase)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
