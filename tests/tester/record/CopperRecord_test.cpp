// The copper side of a record: scalar and frequency tests, plot data, coax TDR, wiremap test, text and labels.

#include <cmath>

#include "CopperLink.h"
#include "copper/CopperLimit.h"
#include "copper/LimitBuilders.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/RecordTesting.h"
#include "copper/CopperUtil.h"
#include "tester/record/CopperRecordJson.h"

namespace {

CopperScalar* scalarOf(CopperTest& t, CopperTestType type, WirePair pair) {
    for (CopperScalar& s : t.body.scalars)
        if (s.copperTestType == type && s.wirePair == pair && s.cableEnd == CableEnd::main) return &s;
    return nullptr;
}

CopperFreq* freqOf(CopperTest& t, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) {
    for (CopperFreq& f : t.body.copperfreqs.freqs)
        if (f.testType == type && f.cableEnd == end && f.srcPair == src && f.rcvPair == rcv) return &f;
    return nullptr;
}

}  // namespace

// Each edit touches its own test and pair of one link; each is read back from the same record.
TEST(CopperRecord, ScalarAndFrequencyMeasurementsOfOneEditedLink) {
    auto test = kx::test::cat6APermanentLinkTest();
    scalarOf(*test, CopperTestType::length, WirePair::pair1)->value = 12.34f;
    scalarOf(*test, CopperTestType::length, WirePair::pair2)->value = 12.36f;
    CopperScalar* r = scalarOf(*test, CopperTestType::resist, WirePair::pair3);
    r->value = 7.5f;
    r->limitMax = ScaledInt::raw(250, ScaledInt::tenths);
    r->limitMin = ScaledInt::raw(10, ScaledInt::tenths);
    r->status = Status::pass;
    r->qualifier = ScalarQualifier::open;
    CopperScalar* u = scalarOf(*test, CopperTestType::unbalance, WirePair::pair2);
    u->qualifier = ScalarQualifier::testNotRun;
    u->limitMax = ScaledInt::raw(15, ScaledInt::hundredths);
    freqOf(*test, CopperTestType::rl, CableEnd::remote, WirePair::pair2, WirePair::pair2)->wmLimit = ScaledInt::nan();
    // Single-pair results stored without a receive pair.
    for (CopperFreq& f : test->body.copperfreqs.freqs)
        if (f.testType == CopperTestType::il) f.rcvPair = WirePair::notset;
    for (auto& p : test->plots.plots)
        if (p->testType == CopperTestType::il) p->rcvPair = WirePair::notset;
    auto record = recordOf(test);
    const auto measurement = [](const auto& t, auto pick) {
        const SingleMeasurement* m = nullptr;
        for (const auto& x : t->Measurements)
            if (pick(x)) m = &x;
        EXPECT_NE(m, nullptr);
        return m != nullptr ? m->toJson() : Json::Value();
    };

    // Length: pair 1 at 12.3 m, pair 2 ("36") at 12.4 m.
    const auto length = record.GetScalarTest(1);
    ASSERT_TRUE(length);
    kx::test::expectGolden(length->toJson(), "record/golden/length-tenths.json");
    // Resistance 7.5 ohm open (qualifier 12): upper limit 25.0 with margin 17.5, lower 1.0 with 6.5; pass (4).
    const auto resist = record.GetScalarTest(4);
    ASSERT_TRUE(resist);
    kx::test::expectGolden(measurement(resist, [](const auto& x) { return x.Pair == 3; }),
                           "record/golden/scalar-limits.json");
    // Unbalance of pair 2 not run: no value (null) with its no-value qualifier, and so no margin.
    const auto unb = record.GetScalarTest(40);
    ASSERT_TRUE(unb);
    kx::test::expectGolden(unb->Measurements[1].toJson(), "record/golden/unbalance-not-run.json");
    // Pair-to-pair unbalance is stored pair 1 with 2 and pair 3 with 4: host pairs 6 (12-36) and 14 (45-78).
    const auto p2p = record.GetScalarTest(41);
    ASSERT_TRUE(p2p);
    kx::test::expectGolden(p2p->toJson(), "record/golden/p2p-unbalance.json");
    // A return loss without a valid limit: a value and its frequency only, no limit, no margin.
    const auto rl = record.GetFrequencyTest(14);
    ASSERT_TRUE(rl);
    kx::test::expectGolden(
        measurement(rl, [](const auto& x) { return x.Pair == 2 && x.CopperEnd == 2 && x.IsWorstMarginSpecified; }),
        "record/golden/invalid-limit.json");

    const auto il = record.GetFrequencyTest(7);
    ASSERT_TRUE(il);
    EXPECT_EQ(il->Measurements.size(), 8u);
    const auto plot = record.GetPlotDataTp(7, 1);
    ASSERT_TRUE(plot);
    EXPECT_EQ(plot->Curves.size(), 4u);
}

TEST(CopperRecord, PlotDataHasTheFrequencyAxisLimitCurvesWithGapsAndEnforcementFlagsOrMetres) {
    auto test = kx::test::cat6APermanentLinkTest();
    CopperLimit& limit = *test->body.limit;
    for (CopperFreqLimit& l : limit.freqLimits)
        if (l.freqLimitType == CopperFreqLimitType::NEXT) {
            l.limitCurve[5] = CopperFreqLimit::kNoLimit;
            l.limitCurve[6] = 32760;  // 3276.0 dB
            l.limitCurve[7] = 32759;
        }
    // A curve of its own for pairs 12-36.
    auto own = limit.freqLimits[1];
    own.pair = PairCombo::p12_36;
    limit.freqLimits.push_back(own);
    test->plots.plots.push_back(kx::test::samplePlot(CopperTestType::tdr, CableEnd::main, WirePair::pair1,
                                                     WirePair::pair1, {0, 10, 20, 30, 40, 50}));
    auto record = recordOf(test);

    const auto plot = record.GetPlotDataTp(8, 1);
    ASSERT_TRUE(plot);
    ASSERT_EQ(plot->X.size(), static_cast<size_t>(kHzToIdx(2500000) + 1));
    EXPECT_DOUBLE_EQ(plot->X.front(), 1.0);
    EXPECT_DOUBLE_EQ(plot->X.back(), 2500.0);
    ASSERT_EQ(plot->LimitCurves.size(), 2u);
    const PlotLimitCurve& general = plot->LimitCurves[0];
    EXPECT_EQ(general.Pair, 0);
    EXPECT_TRUE(std::isnan(general.Y[5]));
    EXPECT_TRUE(std::isnan(general.Y[6]));
    EXPECT_NEAR(general.Y[7], 3275.9, 1e-3);
    EXPECT_TRUE(std::isnan(general.Y[kx::test::cat6AGridPoints()]));  // beyond the limit's own grid
    EXPECT_EQ(plot->LimitCurves[1].Pair, 6);
    EXPECT_EQ(plot->Curves.size(), 12u);
    EXPECT_EQ(plot->Curves[0].Number, 1);
    EXPECT_EQ(plot->Curves[0].Y.size(), static_cast<size_t>(kx::test::cat6AGridPoints()));
    // The 4 dB NEXT rule leaves the limit unenforced at low insertion loss: flags per pair.
    EXPECT_EQ(general.Invalid.size(), 12u);
    EXPECT_FALSE(plot->Map568A);
    EXPECT_TRUE(record.HasPlotData(8, 2));
    EXPECT_FALSE(record.HasPlotData(7, 2));  // insertion loss only at the main end

    // A time-domain plot has no frequency axis; one curve of six samples in metres (unit 4) along the cable.
    ASSERT_TRUE(record.HasPlotData(16, 1));
    const auto tdr = record.GetPlotDataTp(16, 1);
    ASSERT_TRUE(tdr);
    kx::test::expectGolden(tdr->toJson(), "record/golden/tdr-plot.json");
    EXPECT_NEAR(tdr->Curves.at(0).X.at(5), record.GetCopperTest()->metersAtIndex(5), 1e-4);
}

TEST(CopperRecord, CoaxAnswersNoSkewReportsItsTdrAndPlotsOnTheCoaxPair) {
    auto test = kx::test::cat6APermanentLinkTest();
    test->body.cable.catId = CopperCable::CatId::coax;
    test->body.cable.name = "RG-6";
    CopperFreq tdr;
    tdr.testType = CopperTestType::tdr;
    tdr.cableEnd = CableEnd::main;
    tdr.srcPair = tdr.rcvPair = WirePair::pair2;
    tdr.status = Status::pass;
    tdr.wmValue = ScaledInt::raw(42, ScaledInt::tenths);
    tdr.wmLimit = ScaledInt::raw(150, ScaledInt::tenths);
    tdr.wmLocation = 1234;
    test->body.copperfreqs.freqs.push_back(tdr);
    auto record = recordOf(test);
    // A copper record with media 3 in its metadata: record/golden/coax.json.
    EXPECT_FALSE(record.GetScalarTest(3));
    const auto length = record.GetScalarTest(1);
    ASSERT_TRUE(length);
    ASSERT_TRUE(record.HasTdrCoaxTest());
    const auto t = record.GetTdrCoaxTest();
    ASSERT_TRUE(t);
    // One length on the coax pair (18); the TDR (test 16) 4.2 with its upper limit, pass.
    kx::test::expectGolden(length->toJson(), "record/golden/coax-length.json");
    kx::test::expectGolden(t->toJson(), "record/golden/coax-tdr.json");
    // The frequency test of the TDR reports no frequency.
    const auto ft = record.GetFrequencyTest(16);
    ASSERT_TRUE(ft);
    EXPECT_DOUBLE_EQ(ft->Measurements[0].Find(MeasKind::Frequency)->Value, 0.0);

    // A measured coax link plots its insertion loss on the coax pair; its tests, their margins and the worst
    // margin (the insertion loss's) are pinned by record/golden/coax.json.
    const auto plot = recordOf(LinkGen::measureCoaxLink(41.3, 3, {})).GetPlotDataTp(7, 1);
    ASSERT_TRUE(plot);
    ASSERT_EQ(plot->Curves.size(), 1u);
    EXPECT_EQ(plot->Curves[0].Pair, kCoaxPairId);
    EXPECT_GT(plot->Curves[0].Y[100], 0.0);
    EXPECT_EQ(plot->LimitCurves.size(), 1u);
}

TEST(CopperRecord, WiremapTestSplitPairShieldAndTheM12Text) {
    auto test = kx::test::cat6APermanentLinkTest();
    WiremapArtifactSplitPair split;
    split.pair1 = WirePair::pair4;
    split.pair2 = WirePair::pair3;
    test->body.wiremap.splitPairs.push_back(split);
    split.pair1 = WirePair::pair1;
    split.pair2 = WirePair::pair2;
    test->body.wiremap.splitPairs.push_back(split);
    test->body.wiremap.isFarBadPatch = true;
    auto record = recordOf(test);
    const auto w = record.GetWireMapTest();
    ASSERT_TRUE(w);
    // Split pair 14, the first artifact (pairs 45 and 78); shield tested (1); T568B; bad patch far; pass.
    kx::test::expectGolden(w->toJson(), "record/golden/wiremap-split.json");

    auto plain = kx::test::cat6APermanentLinkTest();
    plain->body.settings.shieldTest = false;
    auto r2 = recordOf(plain);
    EXPECT_FALSE(r2.GetWireMapTest()->SplitPair);
    EXPECT_EQ(r2.GetWireMapTest()->ShieldTest, 2);

    plain->body.wiremap.status = Status::dontShow;
    auto r3 = recordOf(plain);
    EXPECT_FALSE(r3.HasWireMapTest());
    EXPECT_FALSE(r3.GetWireMapTest());

    // The text of the M12 layout.
    auto twoPairs = kx::test::cat6APermanentLinkTest();
    twoPairs->body.outletConfig.name = "M12 X-Code";
    auto m12 = recordOf(twoPairs);
    const auto m = m12.GetWireMapText();
    ASSERT_EQ(m.size(), 3u);
    for (const std::string& line : m) {
        ASSERT_GE(line.size(), 15u);
        for (size_t at : {8u, 10u, 12u, 14u}) EXPECT_EQ(line[at], ' ') << line;
    }
}

TEST(CopperRecord, WithoutACopperTestEverythingAnswersNone) {
    std::vector<std::vector<uint8_t>> files = {{}, {1, 2, 3}, kx::test::lossLengthResultFile()};
    Kestrix::CopperResult empty;
    empty.summary.resultType = ResultType::COPPER;
    empty.summary.resultName = "empty";
    files.push_back(CopperResultWriter::writeResult(empty));
    for (const auto& bytes : files) {
        TestRecordTarvel record(bytes);
        for (int id : {1, 3, 4, 40, 41}) EXPECT_FALSE(record.GetScalarTest(id));
        EXPECT_FALSE(record.HasFrequencyTest(7));
        EXPECT_FALSE(record.GetFrequencyTest(8));
        EXPECT_FALSE(record.HasPlotData(7, 1));
        EXPECT_FALSE(record.HasPlotData());
        EXPECT_FALSE(record.GetPlotDataTp(16, 1));
        EXPECT_FALSE(record.HasTdrCoaxTest());
        EXPECT_FALSE(record.HasWireMapTest());
        EXPECT_FALSE(record.GetWireMapTest());
        EXPECT_TRUE(record.GetWireMapText().empty());
        EXPECT_FALSE(record.GetWireMapBitmap(WireMapTest{}));
        EXPECT_TRUE(record.GetPairLabels(7).Labels.empty());
        EXPECT_TRUE(copperTestsJson(record, true).isNull());
    }
    // The copper result without a test: still twisted pair in its metadata, without graphs or tests.
    TestRecordTarvel bare(files.back());
    ASSERT_NE(bare.GetCopperResult(), nullptr);
    const auto meta = bare.ExtractMetaDataFromResult();
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->Media, kMediaCopper);
    EXPECT_FALSE(meta->HasGraphs);
    EXPECT_FALSE(bare.GetTestMetaData(1));
    EXPECT_TRUE(bare.GetTests().empty());
    EXPECT_EQ(bare.ContainsRawData(), -1);
}
