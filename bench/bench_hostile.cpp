// Crafted files of the largest stored sizes: every step over them must take time in proportion to them.
#include <benchmark/benchmark.h>

#include <limits>

#include "copper/CopperBuilders.h"
#include "copper/CopperEvaluation.h"
#include "copper/LimitBuilders.h"
#include "copper/WireMapData.h"
#include "fiber/FiberOtdrBidiAvg.h"
#include "fiber/OtdrBuilders.h"

namespace {

using Kestrix::EventType;

// 0xFFFF rows of which four in five go (echoes, earlier weak or out-of-range rows), 0xFFFF events.
void BM_EventMapMostRowsRemoved(benchmark::State& state) {
    const auto table = kx::test::hostileEventTable(
        {EventType::echo, EventType::weakSignal, EventType::outOfRange, EventType::end, EventType::echo}, false);
    for (auto _ : state) benchmark::DoNotOptimize(table.createEventMap());
}
BENCHMARK(BM_EventMapMostRowsRemoved)->Unit(benchmark::kMillisecond);

// 0xFFFF rows at one location folded into one, 0xFFFF events.
void BM_PrepareBidiOneLocation(benchmark::State& state) {
    const auto table = kx::test::hostileEventTable({EventType::splice}, true);
    for (auto _ : state) benchmark::DoNotOptimize(Kestrix::prepareBidiTable(table));
}
BENCHMARK(BM_PrepareBidiOneLocation)->Unit(benchmark::kMillisecond);

void BM_EventTableJson(benchmark::State& state) {
    const auto table = kx::test::hostileEventTable({EventType::splice}, false);
    for (auto _ : state) benchmark::DoNotOptimize(table.toJson(Dump::DumpFlags{1}));
}
BENCHMARK(BM_EventTableJson)->Unit(benchmark::kMillisecond);

// Two 256-row tables whose every row pair is a candidate (65536), through the chain selection.
void BM_MergeChainAllPairs(benchmark::State& state) {
    std::vector<Kestrix::BidiCandidate> all;
    for (size_t i = 0; i < 256; ++i)
        for (size_t j = 0; j < 256; ++j) all.push_back({i, j, i == j ? 1.0 : 0.5});
    for (auto _ : state) benchmark::DoNotOptimize(Kestrix::selectMergeChain(all));
}
BENCHMARK(BM_MergeChainAllPairs)->Unit(benchmark::kMillisecond);

// 10,000 NEXT curves set aside by the alternate rule, one alternate curve, 10,000 NEXT plots.
void BM_RecertifyManyCurvesAndPlots(benchmark::State& state) {
    using namespace Kestrix;
    auto t = std::make_shared<CopperTest>();
    t->body.outletConfig = kx::test::t568bOutlet();
    t->body.wiremap = kx::test::straightThroughWiremap();
    t->body.limit = std::make_shared<CopperLimit>();
    t->body.limit->altNextCurveRule = CopperLimit::AltNextCurveRule::next12dB450MHz;
    for (int i = 0; i < 10000; ++i)
        t->body.limit->freqLimits.push_back(kx::test::freqLimit(CopperFreqLimitType::NEXT, {300, 300, 300}));
    t->body.limit->freqLimits.push_back(kx::test::freqLimit(CopperFreqLimitType::NEXT_ALT, {200, 200, 200}));
    t->plots.plots.push_back(kx::test::samplePlot(CopperTestType::il, CableEnd::main, WirePair::pair2, WirePair::pair2,
                                                  std::vector<int16_t>(1100, 100)));
    for (int i = 0; i < 10000; ++i)
        t->plots.plots.push_back(kx::test::samplePlot(CopperTestType::next, CableEnd::main, WirePair::pair1,
                                                      WirePair::pair2, {400, 400, 400}));
    for (auto _ : state) benchmark::DoNotOptimize(t->recertify(std::numeric_limits<float>::quiet_NaN()));
    state.counters["records"] = static_cast<double>(t->body.copperfreqs.freqs.size());
}
BENCHMARK(BM_RecertifyManyCurvesAndPlots)->Unit(benchmark::kMillisecond);

// 60,000 shorts on pins and ends that do not exist.
void BM_WiremapImpossibleShorts(benchmark::State& state) {
    using namespace Kestrix;
    Wiremap w;
    for (uint32_t i = 0; i < 60000; ++i)
        w.shorts.push_back({i % 3 == 0 ? static_cast<CableEnd>(3 + i) : CableEnd::main, static_cast<Pin>(10 + i),
                            static_cast<Pin>(100000 + i), ScaledInt()});
    const CopperOutletConfig outlet = kx::test::t568bOutlet();
    for (auto _ : state) {
        const WireMapData data(&w, &outlet, 1, 1);
        benchmark::DoNotOptimize(data.shortList().size());
    }
}
BENCHMARK(BM_WiremapImpossibleShorts)->Unit(benchmark::kMillisecond);

}  // namespace
