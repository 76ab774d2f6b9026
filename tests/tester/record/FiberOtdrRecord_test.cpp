// OTDR tests of a fiber record: conversion, warnings, event and fault maps, traces, the bidirectional
// average, the SR-4731 series, tested wavelengths and the span; damaged results answer none.

#include <map>

#include "tester/record/RecordTesting.h"
#include "fiber/FiberSr4731.h"
#include "tester/record/FiberRecordJson.h"
#include "tester/record/FiberRecordUtil.h"
#include "tester/record/HostRecordJson.h"

namespace {

using Ends = std::vector<CableEnd>;

// A result with the end-1 (and end-2) OTDR tests, after `edit` changed them.
template <typename Edit>
TestRecordTarvel editedOtdr(Ends ends, Edit edit, uint32_t samples = 64) {
    FiberResult r = kx::test::otdrOnly({});
    for (CableEnd end : ends) r.addTest(std::make_unique<FiberOtdrTest>(kx::test::otdrTest(end, samples)));
    for (auto& t : r.tests) edit(dynamic_cast<FiberOtdrTest&>(*t));
    return recordOf(r);
}

struct CountingEdits : IOtdrModifications {
    int tests = 0;
    int plots = 0;
    void ApplyOtdrModificationsToTest(OtdrTest&) override { ++tests; }
    void ApplyOtdrModificationsToPlotData(OtdrPlotData&) override { ++plots; }
};

}  // namespace

TEST(FiberRecordOtdr, ManualSettingsAndSplitterEvents) {
    TestRecordTarvel record = editedOtdr({CableEnd::end1}, [](FiberOtdrTest& t) {
        t.settings.fiberTestType = TestType::manualOtdr;
        t.settings.otdrAveragingTime = OtdrAveragingTime::autoBestDeadzone;
        t.eventTable.rows[2].eventType = EventType::splitter;
        t.eventTable.rows[2].splitRatio = OtdrSplitterRatio::r2x16;
    });
    const auto t = record.GetOtdrTest(1);
    ASSERT_TRUE(t);
    // Manual range and pulse width (2), a chosen automatic averaging (1); a 2x16 splitter is type 17, ratio 1016.
    kx::test::expectGolden(t->Wavelengths[0].Settings->toJson(), "record/golden/otdr-manual-settings.json");
    kx::test::expectGolden(t->MergedEvents[2].toJson(), "record/golden/otdr-splitter-event.json");
    EXPECT_FALSE(t->MergedEvents[1].SplitterRatio);
}

// Every warning bit alone and with each other bit: which host warnings, in which order, with which fail flag.
TEST(FiberRecordOtdr, EveryWarningBitAloneAndInPairs) {
    FiberOtdrTest test = kx::test::otdrTest(CableEnd::end1, 64);
    test.eventTable = FiberOtdrEventTable();  // the warnings are all that is looked at here
    // Each bit with a host warning: the warning and its place in the host's order. Bits of one place give one
    // warning: 16-19 (fails when any of the set bits fails), 21 or else 22, and 28 with 29 as 16.
    struct HostWarning {
        int code;
        int place;
    };
    const std::map<int, HostWarning> byBit = {
        {9, {19, 0}},   {25, {20, 1}},  {2, {2, 2}},   {4, {1, 3}},    {6, {3, 4}},    {8, {4, 5}},    {10, {6, 6}},
        {11, {1, 7}},   {14, {7, 8}},   {15, {12, 9}}, {16, {8, 10}},  {17, {8, 10}},  {18, {8, 10}},  {19, {8, 10}},
        {21, {11, 11}}, {22, {11, 11}}, {23, {9, 12}}, {26, {13, 13}}, {24, {10, 14}}, {13, {17, 15}}, {12, {18, 16}},
        {28, {14, 17}}, {29, {15, 17}}, {0, {21, 18}}, {1, {22, 19}},  {27, {23, 20}}};
    const auto expected = [&byBit](uint32_t flags, uint32_t fails) {
        std::map<int, OtdrTestWarning> byPlace;
        for (const auto& [bit, w] : byBit) {
            if (((flags >> bit) & 1u) == 0) continue;
            const bool fail = ((fails >> bit) & 1u) != 0;
            auto [at, first] = byPlace.try_emplace(w.place, OtdrTestWarning{w.code, fail});
            if (first) continue;
            if (w.place == 17) at->second.Code = 16;
            if (w.place != 11) at->second.Value = at->second.Value || fail;  // 22 is not looked at beside 21
        }
        std::vector<std::pair<int, bool>> out;
        for (const auto& [place, w] : byPlace) out.emplace_back(w.Code, w.Value);
        return out;
    };
    const auto actual = [&test](uint32_t flags, uint32_t fails) {
        test.overallResults.warningFlags = flags;
        test.overallResults.failWarningFlags = fails;
        std::vector<std::pair<int, bool>> out;
        for (const OtdrTestWarning& w : FiberRecord::convertOtdrTest(test, 24).Warnings)
            out.emplace_back(w.Code, w.Value);
        return out;
    };
    for (int a = 0; a < 32; ++a) {
        const uint32_t bitA = 1u << a;
        for (uint32_t fails : {0u, bitA}) EXPECT_EQ(actual(bitA, fails), expected(bitA, fails)) << a;
        for (int b = a + 1; b < 32; ++b) {
            const uint32_t bitB = 1u << b;
            for (uint32_t fails : {bitA, bitB})
                EXPECT_EQ(actual(bitA | bitB, fails), expected(bitA | bitB, fails)) << a << " and " << b;
        }
    }
}

TEST(FiberRecordOtdr, SpanOnlyWhenAppliedAndInsideTheTrace) {
    // Traces of 8000 samples reach about 4 km.
    const auto withSpan = [](float start, float stop, uint32_t warnings) {
        return editedOtdr(
            {CableEnd::end1},
            [=](FiberOtdrTest& t) {
                t.settings.span =
                    FibDbus::OtdrSpan(ScaledInt(start, ScaledInt::tenths), ScaledInt(stop, ScaledInt::tenths));
                t.overallResults.warningFlags = warnings;
            },
            8000);
    };
    // No span set: record/golden/otdr.json.
    TestRecordTarvel inside = withSpan(100.0f, 900.0f, 0);
    const auto t = inside.GetOtdrTest(1);
    ASSERT_TRUE(t->SegmentLocSetByTester);
    EXPECT_EQ(t->SegmentLocSetByTester->End, 1);
    const double traceEnd = inside.GetOtdrPlotData(1, true)->Series[0].X.back();
    ASSERT_GT(traceEnd, 900.0);
    const auto segment = inside.GetSpanFromResult();
    ASSERT_TRUE(segment);
    // From 100 m to 900 m, three measurements at each of the four wavelengths.
    kx::test::expectGolden(segment->toJson(), "record/golden/otdr-span.json");
    // Corrected into the trace: a stop beyond it is pulled back to its end.
    const auto beyond = withSpan(10.0f, 1.0e6f, 0).GetSpanFromResult();
    ASSERT_TRUE(beyond);
    EXPECT_NEAR(beyond->Stop, traceEnd, 1e-3);
    // A span wholly before the trace collapses to nothing and is refused.
    EXPECT_FALSE(withSpan(-50.0f, -10.0f, 0).GetSpanFromResult());
    // The tester says the span was not applied.
    EXPECT_FALSE(withSpan(100.0f, 900.0f, 1u << 30).GetOtdrTest(1)->SegmentLocSetByTester);
}

TEST(FiberRecordOtdr, BidirectionalAverageItsSettingsAndItsErrors) {
    TestRecordTarvel both = recordOf(kx::test::otdrOnly({CableEnd::end1, CableEnd::end2}));
    const auto avg = both.GenerateOtdrBidirAvgFromResult();
    ASSERT_TRUE(avg.Test) << avg.ErrorId;
    EXPECT_EQ(avg.Test->Id, 42);
    EXPECT_EQ(avg.Test->EventMapTbl->PortEnd, 1);
    // The settings of each wavelength carry the host's id of the test they belong to, not the setup kind.
    const std::pair<boost::optional<OtdrTest>, int> ids[] = {
        {both.GetOtdrTest(1), 24}, {both.GetOtdrTest(2), 25}, {avg.Test, 42}};
    for (const auto& [test, hostType] : ids) {
        ASSERT_TRUE(test);
        ASSERT_FALSE(test->Wavelengths.empty());
        for (const OtdrWavelengthData& w : test->Wavelengths) EXPECT_EQ(w.Settings->TestType, hostType) << test->Id;
    }

    TestRecordTarvel end1 = recordOf(kx::test::otdrOnly({CableEnd::end1}));
    TestRecordTarvel end2 = recordOf(kx::test::otdrOnly({CableEnd::end2}));
    EXPECT_EQ(end1.GenerateOtdrBidirAvgFromResult().ErrorId, 63);
    EXPECT_TRUE(end1.GenerateOtdrBidirAvgFromResult(&end2).Test);
    EXPECT_EQ(end2.GenerateOtdrBidirAvgFromResult(&end1).ErrorId, 63);
    EXPECT_EQ(end1.GenerateOtdrBidirAvgFromResult(nullptr).ErrorId, 63);

    // Launch compensation without a tail on either side: merge error 3 is host error 80.
    TestRecordTarvel noTail = editedOtdr({CableEnd::end1, CableEnd::end2}, [](FiberOtdrTest& t) {
        for (auto& e : t.eventTable.events) e.anEventTypeFlags &= ~OtdrAnEventType::tail;
    });
    EXPECT_EQ(noTail.GenerateOtdrBidirAvgFromResult().ErrorId, 80);
    // Different wavelengths: 62.
    TestRecordTarvel fewer = editedOtdr({CableEnd::end2}, [](FiberOtdrTest& t) {
        auto& ev = t.eventTable.events;
        ev.erase(std::remove_if(ev.begin(), ev.end(), [](const FiberOtdrEvent& e) { return e.wavelength == 1625; }),
                 ev.end());
    });
    EXPECT_EQ(end1.GenerateOtdrBidirAvgFromResult(&fewer).ErrorId, 62);
}

TEST(FiberRecordOtdr, TracesEditsAndSr4731Series) {
    // The SR-4731 acquisition offset (in 100 ps) lies about 7000 samples into these traces.
    FiberResult r = kx::test::otdrOnly({});
    r.addTest(std::make_unique<FiberOtdrTest>(kx::test::otdrTest(CableEnd::end1, 8000)));
    TestRecordTarvel record = recordOf(r);
    auto edits = std::make_shared<CountingEdits>();
    record.SetOtdrModifications(edits);
    const auto raw = record.GetOtdrPlotData(1, true);
    ASSERT_TRUE(raw);
    EXPECT_EQ(edits->plots, 0);
    EXPECT_TRUE(record.GetOtdrPlotData(1, false));
    EXPECT_EQ(edits->plots, 1);
    EXPECT_TRUE(record.GetOtdrTest(1)->UserEditsApplied);
    EXPECT_EQ(edits->tests, 1);
    EXPECT_FALSE(record.GetOtdrPlotData(2, true));
    EXPECT_FALSE(record.GetOtdrPlotData(3, true));

    ASSERT_EQ(raw->Series.size(), 4u);
    const SeriesMeasurement& s = raw->Series[0];
    EXPECT_EQ(s.X.size(), 8000u);
    EXPECT_EQ(s.Y.size(), 8000u);
    EXPECT_NEAR(s.ReceiveFiberMeters, 2150.0, 1e-3);  // the tail event

    OtdrPlotData plots = *raw;
    ASSERT_TRUE(record.LoadBellcoreData(plots, 1));
    ASSERT_EQ(plots.BellcoreSeries.size(), 4u);
    const FiberResult* fiber = record.GetFiberResult();
    const auto& test = dynamic_cast<const FiberOtdrTest&>(*fiber->getTest(FiberTestType::otdrEnd1));
    const FiberSr4731 view(test, 1310);
    const SeriesMeasurement& b = plots.BellcoreSeries[0];
    EXPECT_EQ(b.Count, view.getNumDataPoints());
    EXPECT_EQ(b.Parameters.at(12), view.getNumDataPoints());
    EXPECT_EQ(b.Parameters.at(18), 40000);
    EXPECT_EQ(plots.Series[0].Parameters.at(10), view.getPWU());
    EXPECT_DOUBLE_EQ(b.Y[0], view.getUpperBound() - view.getPoint(static_cast<uint32_t>(view.getAcqOffset())));
    EXPECT_FALSE(record.LoadBellcoreData(plots, 2));
}

TEST(FiberRecordOtdr, PartialOrInconsistentTestsAnswerNone) {
    // Traces shorter than the acquisition offset (64 samples here) give no SR-4731 series.
    TestRecordTarvel shortTrace = editedOtdr({CableEnd::end1}, [](FiberOtdrTest& t) { t.plots.plots.pop_back(); });
    auto plots = shortTrace.GetOtdrPlotData(1, true);
    ASSERT_TRUE(plots);
    EXPECT_FALSE(shortTrace.LoadBellcoreData(*plots, 1));

    // A wavelength of 0 and events pointing far beyond the traces.
    TestRecordTarvel odd = editedOtdr({CableEnd::end1}, [](FiberOtdrTest& t) {
        auto per = t.overallResults.perWls();
        per[0].wavelength = 0;
        t.overallResults.setPerWls(per);
        for (auto& e : t.eventTable.events) e.plotIndex = 0xFFFFFFF0u;
        t.plots.plots[1].dataPoints.clear();
    });
    const auto t = odd.GetOtdrTest(1);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Wavelengths.size(), 3u);
    EXPECT_EQ(odd.GetTestedFiberWavlengths(24).size(), 3u);
    ASSERT_TRUE(odd.GetOtdrPlotData(1, true));
    EXPECT_TRUE(odd.GetOtdrPlotData(1, true)->Series[1].Y.empty());
    OtdrPlotData p = *odd.GetOtdrPlotData(1, true);
    odd.LoadBellcoreData(p, 1);
    for (const auto& b : p.BellcoreSeries) EXPECT_NE(b.Wavelength, 0);

    // No fiber result at all.
    TestRecordTarvel copper(kx::test::copperFile(kx::test::cat6APermanentLinkTest()));
    EXPECT_FALSE(copper.GetOtdrTest(1));
    EXPECT_FALSE(copper.GetLossTest(1));
    EXPECT_FALSE(copper.GetImageTest(1));
    EXPECT_FALSE(copper.GetEventMapTest());
    EXPECT_TRUE(fiberTestsJson(copper, true).isNull());
}

TEST(FiberRecordOtdr, FaultMapAndRealTimeTraces) {
    FiberResult r = kx::test::otdrOnly({});
    FiberOtdrTest fault = kx::test::otdrTest(CableEnd::end2, 64);
    fault.summary.testType = FiberTestType::faultMap;
    r.addTest(std::make_unique<FiberOtdrTest>(fault));
    FiberOtdrTest live = kx::test::otdrTest(CableEnd::end1, 64);
    live.summary.testType = FiberTestType::realTimeTraceEnd1;
    r.addTest(std::make_unique<FiberOtdrTest>(live));
    TestRecordTarvel record = recordOf(r);

    EXPECT_FALSE(record.HasEventMapTest());
    ASSERT_TRUE(record.HasFaultMapTest());
    const auto map = record.GetFaultMapTest();
    ASSERT_TRUE(map);
    EXPECT_EQ(map->Brief, 32);
    EXPECT_TRUE(map->Table.IsFaultMap);
    EXPECT_EQ(map->Table.PortEnd, 2);  // the fault map's own end
    EXPECT_FALSE(map->Table.OverallLoss);
    EXPECT_TRUE(map->Table.HiddenGroups.empty());
    EXPECT_EQ(map->Table.Events.size(), 7u);  // the raw table
    EXPECT_TRUE(record.GetFaultMapOtdrTest());
    EXPECT_TRUE(record.GetFaultMapPlotData());

    const auto rt = record.GetRealTimeOtdrTest(1);
    ASSERT_TRUE(rt);
    // Test 30: four wavelengths, each one measurement without parameters.
    kx::test::expectGolden(rt->toJson(), "record/golden/real-time-trace.json");
    EXPECT_FALSE(record.GetRealTimeOtdrTest(2));
    EXPECT_TRUE(record.GetRealTimeOtdrPlotData(1));
}

// Without plots and with a splice's reflectance null: record/golden/otdr.json.
TEST(FiberRecordOtdr, HostRecordCarriesEveryTest) {
    TestRecordTarvel record(kx::test::otdrResultFile(8000));
    const Json::Value j = hostRecordJson(record);
    ASSERT_TRUE(j["Fiber"].isObject());
    EXPECT_EQ(j["Fiber"]["OtdrTests"].size(), 2u);
    EXPECT_TRUE(j["Fiber"]["BidirAvg"]["Test"].isObject());
    const Json::Value withPlots = fiberTestsJson(record, true);
    EXPECT_EQ(withPlots["Plots"].size(), 2u);
    EXPECT_EQ(withPlots["Plots"][0]["BellcoreSeries"].size(), 4u);
    EXPECT_NE(fiberTestsText(record).find("OTDR end 2"), std::string::npos);
}
