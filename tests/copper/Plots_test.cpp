#include "copper/CopperTesting.h"

#include <algorithm>
#include <limits>

namespace {

const auto Main = CableEnd::main;
const auto Remote = CableEnd::remote;

std::vector<int16_t> flat(size_t n, int16_t v) { return std::vector<int16_t>(n, v); }

CopperPlots plotsWith(std::vector<CopperPlotPtr> list) {
    CopperPlots p;
    p.plots = std::move(list);
    return p;
}

// The plots derivation added after the first `measured`, in order.
Json::Value derivedAfter(const CopperPlots& p, size_t measured) {
    Json::Value out(Json::arrayValue);
    for (size_t i = measured; i < p.plots.size(); ++i) out.append(p.plots[i]->jsonBody(Dump::DumpFlags{}));
    return out;
}

std::vector<CopperPlotPtr> fourIl(size_t n, int16_t base = 10) {
    std::vector<CopperPlotPtr> v;
    for (int k = 1; k <= 4; ++k)
        v.push_back(samplePlot(CopperTestType::il, Main, static_cast<WirePair>(k), static_cast<WirePair>(k),
                               flat(n, static_cast<int16_t>(base * k))));
    return v;
}

}  // namespace

TEST(PlotsStream, PlotGoldenBytes) {
    CopperPlot p(CopperTestType::next, Main, P1, P2);
    p.endIndex = 3;
    p.data = {0, 5, 300, 299};
    const std::vector<uint8_t> expected = {0x00, 0x10, 0x00, 0x01, 0x01, 0x02, 0x01, 0x03, 0x00,
                                           0x00, 0x00, 0x01, 0x04, 0x00, 0x00, 0x00, 0x06, 0x00,
                                           0x00, 0x00, 0x00, 0x05, 0x80, 0x2C, 0x01, 0xFF};
    EXPECT_EQ(bytesOf(p), expected);
    CopperPlot back;
    ASSERT_EQ(readInto(back, expected), Marshal::ok);
    EXPECT_EQ(back.data, p.data);
    EXPECT_TRUE(back.matches(CopperTestType::next, Main, P1, P2));
    EXPECT_EQ(back.scaledTo, ScaledInt::tenths);
    EXPECT_FLOAT_EQ(back.getDbFromIndex(2), 30.0f);
    EXPECT_TRUE(everyPrefixFails<CopperPlot>(expected));

    auto badEncoding = expected;
    badEncoding[11] = 0;
    EXPECT_EQ(readInto(back, badEncoding), Marshal::readError);
    auto newer = expected;
    newer[0] = 1;
    EXPECT_EQ(readInto(back, newer), Marshal::versionTooNew);
}

TEST(PlotsStream, EvilPlotAndRawFloatCountsAllocateNothing) {
    auto bytes = bytesOf(CopperPlots{});
    kx::test::put32(bytes, kHeaderBytes + 4 + 4, 0xFFFFFFFF);  // the plot count, after the sample time and zero
    CopperPlots plots = plotsWith(fourIl(1));
    EXPECT_EQ(readInto(plots, bytes), Marshal::readError);
    EXPECT_TRUE(plots.plots.empty());
    // A plot's samples that their packed bytes cannot hold are the curve reader's (PackedCurveStream).

    // A raw plot announcing more floats than its bytes hold (round trips are in the framed objects' table).
    CopperRawData raw;
    raw.plots.push_back(std::make_shared<CopperRawDataPlot>());
    raw.plots[0]->testType = CopperTestType::il;
    raw.plots[0]->real = {1.5f, -2.0f};
    raw.plots[0]->imaginary = {0.25f, 0.0f};
    auto evil = bytesOf(raw);
    evil[kHeaderBytes + 4 + 5] = 0xFF;
    evil[kHeaderBytes + 4 + 6] = 0xFF;
    CopperRawData back;
    EXPECT_EQ(readInto(back, evil), Marshal::readError);
}

TEST(PlotsStream, OnlyMeasuredPlotsAreStoredAndDerivedOnesComeBack) {
    auto t = std::make_shared<CopperTest>();
    t->body.outletConfig = kx::test::t568bOutlet();
    t->plots.plots = fourIl(5);
    t->plots.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, flat(5, 400)));
    t->plots.plots.push_back(samplePlot(CopperTestType::acr, Main, P1, P2, flat(5, 1)));
    t->plots.nsPerSample = 2.5f;
    t->plots.zeroLengthIndex = 7;
    EXPECT_EQ(t->plots.storedCount(), 5u);

    CopperTest back;
    ASSERT_EQ(readInto(back, bytesOf(*t)), Marshal::ok);
    EXPECT_TRUE(back.plots.derived());
    EXPECT_EQ(back.plots.nsPerSample, 2.5f);
    EXPECT_EQ(back.plots.zeroLengthIndex, 7u);
    const CopperPlot* acr = back.plots.findPlot(CopperTestType::acr, Main, P1, P2);
    ASSERT_NE(acr, nullptr);
    EXPECT_EQ(acr->data, flat(5, 380));  // NEXT 40.0 - IL of pair 2 (2.0)
    EXPECT_EQ(back.plots.plotsOfType(CopperTestType::acr).size(), 1u);

    // Derivation runs once; copies are deep.
    const size_t n = back.plots.plots.size();
    back.plots.deriveComputedPlots(0, UsedPairs::all());
    EXPECT_EQ(back.plots.plots.size(), n);
    CopperPlots copy = back.plots;
    copy.plots[0]->data[0] = -1;
    EXPECT_NE(back.plots.plots[0]->data[0], -1);
    EXPECT_TRUE(copy.derived());
}

TEST(PlotsDerivation, AcrUsesTheReceivePairsInsertionLossAndElfextReversesPairsAcrossEnds) {
    // Main: (1,2) is missing, so the main-end step ends before (1,3); remote (1,2): NEXT 50.0 less IL of
    // pair 2 (2.0) = 48.0 dB.
    Json::Value doc;
    auto plots = plotsWith(fourIl(30));
    plots.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P3, flat(30, 500)));
    plots.plots.push_back(samplePlot(CopperTestType::next, Remote, P1, P2, flat(30, 500)));
    plots.deriveComputedPlots(0, UsedPairs::all());
    doc["measured IL"] = derivedAfter(plots, 6);
    // 4 MHz method: every sample uses the insertion loss at index 24 (5.5 dB): 44.5 dB.
    auto four = plotsWith(fourIl(30));
    four.plots[1]->data[24] = 55;
    four.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, flat(30, 500)));
    four.deriveComputedPlots(1, UsedPairs::all());
    doc["4 MHz"] = derivedAfter(four, 5);
    // 16 MHz method with insertion loss shorter than index 120: no ACR plot.
    auto sixteen = plotsWith(fourIl(30));
    sixteen.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, flat(30, 500)));
    sixteen.deriveComputedPlots(2, UsedPairs::all());
    doc["16 MHz"] = derivedAfter(sixteen, 5);
    kx::test::expectGolden(doc, "DerivedAcr.json");

    // FEXT (a,b) of both ends, 30.0 dB and up one step per plot; IL of pair k is k dB. Main (1,2) from main
    // FEXT (1,2) less IL of pair 2 (28.0); main (2,1) from remote FEXT (1,2) less IL of pair 1 (29.6);
    // remote (2,1) from main FEXT (1,2) less IL of pair 1 (29.0). PSELFEXT of pair 1 on main sums ELFEXT
    // (2,1), (3,1), (4,1); PSFEXT adds its IL back.
    auto fext = plotsWith(fourIl(3));
    int16_t v = 300;
    for (CableEnd end : {Main, Remote})
        for (auto [a, b] : {std::pair{P1, P2}, {P1, P3}, {P1, P4}, {P2, P3}, {P2, P4}, {P3, P4}})
            fext.plots.push_back(samplePlot(CopperTestType::fext, end, a, b, flat(3, v++)));
    fext.deriveComputedPlots(0, UsedPairs::all());
    EXPECT_EQ(fext.plotsOfType(CopperTestType::elfext).size(), 24u);
    kx::test::expectGolden(derivedAfter(fext, 16), "DerivedElfext.json");
}

TEST(PlotsDerivation, PowerSumOfNextSkipsUnusedPairsAndStopsAtMissingPlots) {
    auto plots = plotsWith(fourIl(2));
    for (auto [a, b] : {std::pair{P1, P2}, {P1, P3}, {P1, P4}, {P2, P3}, {P2, P4}, {P3, P4}})
        plots.plots.push_back(samplePlot(CopperTestType::next, Main, a, b, flat(2, 300)));
    plots.deriveComputedPlots(0, UsedPairs::all());
    // Three equal 30.0 dB disturbers: PSNEXT 30 - 10 log10(3) = 25.2 dB on each pair; PSACR less its IL.
    kx::test::expectGolden(derivedAfter(plots, 10), "DerivedPowerSum.json");

    UsedPairs two;
    two.used[1] = two.used[2] = true;
    auto one = plotsWith(fourIl(2));
    one.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, {300, 250}));
    one.deriveComputedPlots(0, two);
    // Pairs 1 and 2 used: one disturber gives its own value, to pairs 1 and 2 only.
    Json::Value doc;
    doc["pairs 1 and 2"] = derivedAfter(one, 5);
    // All pairs used but (1,3) missing: pair 1's sum ends the main end, no PSNEXT at all.
    auto gap = plotsWith(fourIl(2));
    gap.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, {300, 250}));
    gap.deriveComputedPlots(0, UsedPairs::all());
    doc["(1,3) missing"] = derivedAfter(gap, 5);
    kx::test::expectGolden(doc, "DerivedPowerSumGaps.json");
}

namespace {

// The power sum as defined: the values in ascending order, the first two combined, then the third.
int32_t powerSumByDefinition(int32_t a, int32_t b, int32_t c) {
    int64_t v[3] = {a, b, c};
    std::sort(v, v + 3);
    const auto t = [](int64_t d) { return d >= 0 && d < 200 ? int64_t(powerSumCorrection(int32_t(d))) : 0; };
    const int64_t p = v[0] - t(v[1] - v[0]);
    return static_cast<int32_t>(p - t(v[2] - p));
}

}  // namespace

TEST(PlotsDerivation, PowerSumCorrectionTableAndValuesInAnyOrder) {
    for (const auto& [difference, correction] :
         {std::pair{0, 30}, {30, 18}, {193, 1}, {194, 0}, {199, 0}, {200, 0}, {-1, 0}})
        EXPECT_EQ(powerSumCorrection(difference), correction) << difference;
    const int32_t kMax = std::numeric_limits<int32_t>::max();
    const int32_t kMin = std::numeric_limits<int32_t>::min();
    const int32_t triples[][3] = {
        {300, 300, 300},    {300, 301, 499},    {300, 499, 500},  {-50, 0, 150},   {400, 400, 9999},
        {9999, 9999, 9999}, {-32768, 32767, 0}, {250, 449, 9999}, {kMin, kMax, 0}, {kMax, kMax - 1, kMax},
    };
    for (const auto& t : triples) {
        int32_t v[3] = {t[0], t[1], t[2]};
        std::sort(v, v + 3);
        const int32_t want = powerSumByDefinition(v[0], v[1], v[2]);
        do {
            EXPECT_EQ(powerSum3(v[0], v[1], v[2]), want) << v[0] << " " << v[1] << " " << v[2];
        } while (std::next_permutation(v, v + 3));
    }
}

TEST(PlotsDerivation, MissingShortOrEmptyPlotsAreSkippedSafelyAndShorterDisturbersEndTheSum) {
    Json::Value doc;
    // No insertion loss at all: nothing is derived.
    auto none = plotsWith({samplePlot(CopperTestType::next, Main, P1, P2, flat(4, 400))});
    none.deriveComputedPlots(0, UsedPairs::all());
    doc["no IL"] = derivedAfter(none, 1);

    // Only two insertion-loss plots: entries whose receive pair is 3 or 4 get no plot; the pair-2 insertion
    // loss has 2 samples, so ACR (1,2) stops there (38.0 dB, end index 1).
    auto few = plotsWith({samplePlot(CopperTestType::il, Main, P1, P1, flat(4, 10)),
                          samplePlot(CopperTestType::il, Main, P2, P2, flat(2, 20))});
    for (auto [a, b] : {std::pair{P1, P2}, {P1, P3}, {P1, P4}, {P2, P3}})
        few.plots.push_back(samplePlot(CopperTestType::next, Main, a, b, flat(4, 400)));
    few.deriveComputedPlots(0, UsedPairs::all());
    doc["two IL"] = derivedAfter(few, 6);

    // A source stored without samples gets a derived plot with as many (none), by either method, so a curve
    // that needs it finds it instead of failing the test for a missing plot.
    for (int method : {0, 1}) {
        auto plots = plotsWith(fourIl(30));
        plots.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, {}));
        plots.deriveComputedPlots(method, UsedPairs::all());
        doc["empty NEXT"].append(derivedAfter(plots, 5));
    }
    // An insertion loss without samples still gives none.
    auto emptyIl = plotsWith(fourIl(0));
    emptyIl.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, flat(30, 500)));
    emptyIl.deriveComputedPlots(0, UsedPairs::all());
    doc["empty IL"] = derivedAfter(emptyIl, 5);
    kx::test::expectGolden(doc, "DerivedMissingOrEmpty.json");

    auto plots = plotsWith(fourIl(3));
    plots.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P2, {300, 300, 300}));
    plots.plots.push_back(samplePlot(CopperTestType::next, Main, P1, P3, {300}));
    UsedPairs three;
    three.used[1] = three.used[2] = three.used[3] = true;
    plots.plots.push_back(samplePlot(CopperTestType::next, Main, P2, P3, {300, 300, 300}));
    plots.deriveComputedPlots(0, three);
    EXPECT_EQ(plots.findPlot(CopperTestType::psnext, Main, P1, P1)->data, (std::vector<int16_t>{270, 300, 300}));
}
