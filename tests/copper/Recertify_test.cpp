#include "copper/CopperTesting.h"

#include <limits>

#include "copper/CopperEvaluation.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperResultWriter.h"
#include "copper/CopperUtil.h"

namespace {

constexpr float kNoNvp = std::numeric_limits<float>::quiet_NaN();
using T = CopperTestType;
using L = CopperFreqLimitType;

// A test with all four pairs wired, a passing wiremap and an empty limit of its own.
CopperTestPtr bareTest() {
    auto t = std::make_shared<CopperTest>();
    t->body.outletConfig = kx::test::t568bOutlet();
    t->body.wiremap = kx::test::straightThroughWiremap();
    t->body.limit = std::make_shared<CopperLimit>();
    return t;
}

std::vector<int16_t> flat(size_t n, int16_t v) { return std::vector<int16_t>(n, v); }

// The verdict and every scalar after evaluating the scalars, for a golden document.
Json::Value evaluated(CopperTest& t) {
    Json::Value j;
    j["status"] = toString(Evaluation::evaluateScalars(t));
    for (const auto& s : t.body.scalars) j["scalars"].append(s.toJson(Dump::DumpFlags{1}));
    return j;
}

}  // namespace

TEST(RecertifyLengths, DelayOf100nsAtNvp69Gives20_69mAndTwistedPairAllowsTenPercentMoreThanCoax) {
    auto t = bareTest();
    t->body.scalars = {scalar(T::delay, P1, 100.0f, ScaledInt::ones), scalar(T::length, P1, 0.0f, ScaledInt::tenths)};
    t->recertify(69.0f);
    const float len = t->body.scalars[1].value;
    EXPECT_FLOAT_EQ(len, 100.0f / 1000000000.0f * 299792448.0f * 69.0f / 100.0f);  // 20.69 m
    EXPECT_EQ(t->body.scalars[1].scaledValue().toString(), "20.7");

    // NaN keeps the stored lengths; a delay with a second pair is not a pair's delay.
    t->body.scalars[1].value = 5.0f;
    t->recertify(kNoNvp);
    EXPECT_EQ(t->body.scalars[1].value, 5.0f);
    t->body.scalars[0].wirePair2 = P2;
    t->recertify(69.0f);
    EXPECT_EQ(t->body.scalars[1].value, 5.0f);

    // A length limit of 90.0 m lets twisted pair run to 99.0 m.
    t->body.limit->scalarLimits = {scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(900, ScaledInt::tenths))};
    t->body.scalars = {scalar(T::length, P1, 99.0f, ScaledInt::tenths)};
    EXPECT_EQ(Evaluation::evaluateScalars(*t), Status::pass);
    t->body.scalars[0].value = 100.0f;
    EXPECT_EQ(Evaluation::evaluateScalars(*t), Status::fail);
    t->body.limit->mediaType = CopperLimit::MediaType::coax;
    t->body.scalars[0].value = 91.0f;
    EXPECT_EQ(Evaluation::evaluateScalars(*t), Status::fail);
    t->body.scalars[0].value = 90.0f;
    EXPECT_EQ(Evaluation::evaluateScalars(*t), Status::pass);
}

TEST(RecertifyScalars, EveryKindAgainstItsLimit) {
    Json::Value doc;
    // Only the shortest length is judged, against 90.0 m; then pair 1 is the shortest, and too long.
    auto t = bareTest();
    t->body.limit->scalarLimits = {scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(900, ScaledInt::tenths))};
    t->body.scalars = {scalar(T::length, P1, 120.0f, ScaledInt::tenths),
                       scalar(T::length, P2, 80.0f, ScaledInt::tenths)};
    doc["shortest length"].append(evaluated(*t));
    t->body.scalars[1].value = 150.0f;
    doc["shortest length"].append(evaluated(*t));

    // Not shown: the remote end, pair 3 (not wired), the parallel resistance; shown: the info-only delay
    // with its limit, a too-short qualifier; an open fails.
    t = bareTest();
    t->body.outletConfig = kx::test::t568bOutlet({1, 2});
    t->body.limit->scalarLimits = {
        scalarLimit(CopperScalarLimitType::resistance, ScaledInt::raw(250, ScaledInt::tenths)),
        scalarLimit(CopperScalarLimitType::propDelay, ScaledInt::raw(498, ScaledInt::ones), ScaledInt::nan(), true)};
    t->body.scalars = {scalar(T::resist, P1, 30.0f, ScaledInt::tenths, CableEnd::remote),
                       scalar(T::resist, P3, 30.0f, ScaledInt::tenths),
                       scalar(T::resist, P2, 30.0f, ScaledInt::tenths),
                       scalar(T::delay, P1, 600.0f, ScaledInt::ones),
                       scalar(T::resistParallel, P1, 3.0f, ScaledInt::tenths),
                       scalar(T::resist, P1, 0.0f, ScaledInt::tenths)};
    t->body.scalars[5].qualifier = ScalarQualifier::tooShort;
    doc["remote, unused, info only, qualified"].append(evaluated(*t));
    t->body.scalars[5].qualifier = ScalarQualifier::open;
    doc["remote, unused, info only, qualified"].append(evaluated(*t));

    // 3.0 % of 10 ohm = 0.30 ohm beats the 0.15 ohm limit; 3.0 % of 2 ohm = 0.06 ohm does not; without the
    // resistance the unbalance is only shown.
    t = bareTest();
    t->body.limit->scalarLimits = {
        scalarLimit(CopperScalarLimitType::unbalancePercent, ScaledInt::raw(30, ScaledInt::tenths)),
        scalarLimit(CopperScalarLimitType::unbalanceOhm, ScaledInt::raw(15, ScaledInt::hundredths))};
    t->body.scalars = {scalar(T::resist, P1, 10.0f, ScaledInt::tenths),
                       scalar(T::unbalance, P1, 0.25f, ScaledInt::hundredths)};
    doc["unbalance"].append(evaluated(*t));
    t->body.scalars[0].value = 2.0f;
    doc["unbalance"].append(evaluated(*t));
    t->body.scalars.erase(t->body.scalars.begin());
    doc["unbalance"].append(evaluated(*t));

    // Pair to pair: 7.0 % of the summed parallel resistances (4.0 + 6.0 ohm) is 0.70 ohm.
    t = bareTest();
    t->body.limit->scalarLimits = {
        scalarLimit(CopperScalarLimitType::p2pUnbalanceOhm, ScaledInt::raw(20, ScaledInt::hundredths)),
        scalarLimit(CopperScalarLimitType::p2pUnbalancePercent, ScaledInt::raw(70, ScaledInt::tenths))};
    t->body.scalars = {scalar(T::resistParallel, P1, 4.0f, ScaledInt::tenths),
                       scalar(T::resistParallel, P2, 6.0f, ScaledInt::tenths),
                       scalar(T::p2pUnbalance, P1, 0.69f, ScaledInt::hundredths, CableEnd::main, P2)};
    doc["pair to pair unbalance"].append(evaluated(*t));
    t->body.scalars[2].value = 0.71f;
    doc["pair to pair unbalance"].append(evaluated(*t));

    // Impedance of a 100 ohm cable: its nominal form's limits (85 to 115 ohm).
    t = bareTest();
    t->body.cable.impedance = 100;
    t->body.limit->scalarLimits = {
        scalarLimit(CopperScalarLimitType::impedance50, ScaledInt::raw(55, ScaledInt::ones)),
        scalarLimit(CopperScalarLimitType::impedance100, ScaledInt::raw(115, ScaledInt::ones),
                    ScaledInt::raw(85, ScaledInt::ones))};
    t->body.scalars = {scalar(T::imped, P1, 80.0f, ScaledInt::ones)};
    doc["impedance"].append(evaluated(*t));

    kx::test::expectGolden(doc, "RecertifyScalars.json");
}

TEST(RecertifyScalarsDeathTest, NoLimitMeansNoEvaluationAndRebuildingRecordsIsAProgrammingError) {
    auto t = bareTest();
    t->body.limit.reset();
    t->body.scalars = {scalar(T::resist, P1, 1.0f, ScaledInt::tenths)};
    t->body.scalars[0].status = Status::fail;
    EXPECT_EQ(Evaluation::evaluateScalars(*t), Status::notSet);
    EXPECT_EQ(t->body.scalars[0].status, Status::fail);
    std::vector<uint16_t> mask{1};
    EXPECT_FALSE(t->getLimitEnforced(T::rl, CableEnd::main, P1, P1, mask));
    EXPECT_TRUE(mask.empty());
    EXPECT_DEATH(Evaluation::rebuildFreqRecords(*t), "copperTestBody.limit");
}

TEST(RecertifyFrequency, OneRecordOfAPlotAgainstItsCurve) {
    const auto acceptable = CopperLimit::NextStatusType::acceptable;
    const auto next = [](std::vector<int16_t> points, float accuracy = 0.0f) {
        return freqLimit(L::NEXT, std::move(points), {{1000, accuracy}, {2000, accuracy}});
    };
    const CopperFreqLimit il = freqLimit(L::IL, {100, 100, 100, 80});
    const CopperFreqLimit noCurve = freqLimit(L::RL, {});
    const struct {
        const char* what;
        CopperTestType type;
        std::vector<int16_t> data;
        CopperFreqLimit limit;
        std::vector<uint16_t> mask = {};
        CopperLimit::NextStatusType nextStatus = CopperLimit::NextStatusType::normal;
    } kCases[] = {
        {"margin 0.0 passes", T::next, {500, 400, 300, 450}, next(flat(4, 300))},
        {"below the curve fails", T::next, {500, 400, 299, 450}, next(flat(4, 300))},
        {"within the accuracy: pass*", T::next, {500, 400, 300, 450}, next(flat(4, 300), 0.5f)},
        {"within the accuracy: fail*", T::next, {500, 400, 299, 450}, next(flat(4, 300), 0.5f)},
        {"acceptable", T::next, {500, 400, 300, 450}, next(flat(4, 300), 0.5f), {}, acceptable},
        {"acceptable though below", T::next, {500, 400, 299, 450}, next(flat(4, 300), 0.5f), {}, acceptable},
        // Worst value: the smallest sample, among equal ones the highest index; worst margin 0.5 at index 2
        // beats 1.0 at 0 and 1.5 at 1.
        {"worst value and margin", T::next, {310, 305, 305, 400}, next({300, 290, 300, 300})},
        // An upper bound: worst value 9.0 dB at index 2, which on a pass is also the worst margin.
        {"insertion loss passes", T::il, {-20, 50, 90, 70}, il},
        {"insertion loss fails at index 3", T::il, {-20, 50, 90, 81}, il},
        {"samples at or below -1.0 dB are never the worst", T::il, {-15, -12, -10, -30}, il},
        {"no curve: only the worst value is shown", T::rl, {200, 150, 150, 180}, noCurve},
        {"masked out everywhere: shown, not judged",
         T::next,
         {100, 100, 100},
         next({300, 300, CopperFreqLimit::kNoLimit}),
         {0, 0, 1}},
        {"a mask keeps one point", T::next, {100, 400, 100}, next({300, 300, 300}), {0, 1, 0}},
    };
    Json::Value records;
    for (const auto& c : kCases) {
        CopperPlot p(c.type, CableEnd::main, P1, c.type == T::next ? P2 : P1);
        p.data = c.data;
        CopperFreq r;
        Evaluation::evaluateRecord(r, p, c.limit, c.mask, c.nextStatus);
        Json::Value j = r.toJson(Dump::DumpFlags{1});
        j["case"] = c.what;
        j["margin"] = r.getWmMargin().toString();
        records.append(j);
    }
    kx::test::expectGolden(records, "RecertifyRecords.json");
}

TEST(RecertifyFrequency, FailStarBecomesFailOverallAndTheWiremapAndScalarsMerge) {
    auto t = bareTest();
    t->body.limit->freqLimits = {freqLimit(L::NEXT, flat(4, 300), {{1000, 0.5f}, {2000, 0.5f}})};
    t->plots.plots = {samplePlot(T::next, CableEnd::main, P1, P2, {500, 400, 299, 450})};
    EXPECT_EQ(t->recertify(kNoNvp), Status::fail);
    ASSERT_EQ(t->body.copperfreqs.freqs.size(), 1u);
    EXPECT_EQ(t->body.copperfreqs.freqs[0].status, Status::failStar);
    t->plots.plots[0]->data[2] = 300;
    EXPECT_EQ(t->recertify(kNoNvp), Status::passStar);

    // The overall status merges the wiremap and the scalars.
    t = bareTest();
    t->body.wiremap.status = Status::fail;
    EXPECT_EQ(Evaluation::overallStatus(*t), Status::fail);
    t->body.wiremap.status = Status::pass;
    EXPECT_EQ(Evaluation::overallStatus(*t), Status::pass);
    t->body.wiremap.status = Status::show;
    EXPECT_EQ(Evaluation::overallStatus(*t), Status::show);
    t->body.scalars = {scalar(T::skew, P1, 1.0f, ScaledInt::ones)};
    t->body.scalars[0].status = Status::passStar;
    EXPECT_EQ(Evaluation::overallStatus(*t), Status::passStar);
}

TEST(RecertifyFrequency, PairSpecificCurveJudgesOnlyItsCombination) {
    auto t = bareTest();
    t->body.limit->freqLimits = {freqLimit(L::NEXT, flat(3, 300)),
                                 freqLimit(L::NEXT, flat(3, 450), {}, PairCombo::p12_36)};
    t->plots.plots = {samplePlot(T::next, CableEnd::main, P1, P2, flat(3, 400)),
                      samplePlot(T::next, CableEnd::main, P1, P3, flat(3, 400)),
                      samplePlot(T::next, CableEnd::main, P2, P1, flat(3, 400))};
    EXPECT_EQ(t->recertify(kNoNvp), Status::fail);
    // Generic curve first (stored order): 1-3 and 2-1 pass; then the 12_36 curve fails 1-2 alone at 45.0 dB.
    kx::test::expectGolden(t->body.copperfreqs.toJson(Dump::DumpFlags{1}), "RecertifyPairSpecific.json");
}

TEST(RecertifyFrequency, UnusedPairsAreLeftOutAndRequiredCurvesFailWithoutPlotsUnlessCustomOrDerivedFromAnEmptySource) {
    auto t = bareTest();
    t->body.outletConfig = kx::test::t568bOutlet({1, 2});
    t->body.limit->freqLimits = {freqLimit(L::NEXT, flat(3, 300))};
    t->plots.plots = {samplePlot(T::next, CableEnd::main, P1, P2, flat(3, 400)),
                      samplePlot(T::next, CableEnd::main, P1, P4, flat(3, 100))};
    EXPECT_EQ(t->recertify(kNoNvp), Status::pass);
    EXPECT_EQ(t->body.copperfreqs.freqs.size(), 1u);

    t->body.limit->freqLimits.push_back(freqLimit(L::RL, flat(3, 100)));
    t->body.limit->freqLimits.push_back(freqLimit(L::CMRL, flat(3, 100), {}, PairCombo::any, true));
    EXPECT_EQ(t->recertify(kNoNvp), Status::fail);  // no RL plot; the info-only CMRL does not count
    t->body.outletConfig.name = "*Custom*";
    EXPECT_EQ(t->recertify(kNoNvp), Status::pass);
    t->body.limit->mediaType = CopperLimit::MediaType::coax;
    EXPECT_EQ(t->recertify(kNoNvp), Status::fail);

    // A required ACR curve finds the plot derived from a NEXT plot without samples.
    t = bareTest();
    t->body.limit->freqLimits = {freqLimit(L::ACR, flat(3, 100))};
    for (int k = 1; k <= 4; ++k) {
        const auto pair = static_cast<WirePair>(k);
        t->plots.plots.push_back(samplePlot(T::il, CableEnd::main, pair, pair, flat(3, 20)));
    }
    t->plots.plots.push_back(samplePlot(T::next, CableEnd::main, P1, P2, {}));
    t->completeRead();
    EXPECT_EQ(t->recertify(kNoNvp), Status::pass);
}

TEST(RecertifyFrequency, AlternateNextCurveFollowsTheInsertionLossAt450MHzAndTclTheShielding) {
    auto t = bareTest();
    t->body.limit->altNextCurveRule = CopperLimit::AltNextCurveRule::next12dB450MHz;
    t->body.limit->freqLimits = {freqLimit(L::NEXT, flat(1018, 300)), freqLimit(L::NEXT_ALT, flat(1018, 250))};
    auto il = samplePlot(T::il, CableEnd::main, P2, P2, flat(1018, 100));
    t->plots.plots = {il, samplePlot(T::next, CableEnd::main, P1, P2, flat(1018, 280))};
    // IL at 450 MHz (index 1017) is 10.0 dB, below 12.0: the alternate curve judges.
    CopperFreq r;
    t->recertify(kNoNvp);
    ASSERT_TRUE(t->body.copperfreqs.findFreq(r, T::next, CableEnd::main, P1, P2));
    EXPECT_EQ(r.limitType, L::NEXT_ALT);
    EXPECT_EQ(r.status, Status::pass);
    il->data[1017] = 120;
    t->recertify(kNoNvp);
    ASSERT_TRUE(t->body.copperfreqs.findFreq(r, T::next, CableEnd::main, P1, P2));
    EXPECT_EQ(r.limitType, L::NEXT);
    EXPECT_EQ(r.status, Status::fail);
    // A plot too short for index 1017 never selects the alternate curve.
    il->data.resize(1017);
    t->recertify(kNoNvp);
    ASSERT_TRUE(t->body.copperfreqs.findFreq(r, T::next, CableEnd::main, P1, P2));
    EXPECT_EQ(r.limitType, L::NEXT);

    t = bareTest();
    t->body.limit->altTcl = CopperLimit::AltTcl::shielded;
    t->body.limit->freqLimits = {freqLimit(L::TCL, flat(2, 300)), freqLimit(L::TCL_ALT, flat(2, 200))};
    t->plots.plots = {samplePlot(T::tcl, CableEnd::main, P1, P1, flat(2, 250))};
    t->body.cable.copperShield = CopperCable::Shield::SFTP;
    EXPECT_EQ(t->recertify(kNoNvp), Status::pass);
    EXPECT_EQ(t->body.copperfreqs.freqs.at(0).limitType, L::TCL_ALT);
    t->body.cable.copperShield = CopperCable::Shield::UUTP;
    EXPECT_EQ(t->recertify(kNoNvp), Status::fail);
    EXPECT_EQ(t->body.copperfreqs.freqs.at(0).limitType, L::TCL);
}

TEST(RecertifyMasks, EachRuleMasksFromItsReferencePlot) {
    auto t = bareTest();
    t->body.limit->do3dbRuleRl = true;
    t->body.limit->do4dbRuleNext = true;
    t->body.limit->dbRuleAcrF = 3;
    t->body.limit->dbRuleAcrFStartFreqKHz = 1250;  // index 2: entries 0..2 always enforced
    t->plots.plots = {samplePlot(T::il, CableEnd::main, P2, P2, {10, 29, 30, 31, 25, 45}),
                      samplePlot(T::il, CableEnd::main, P3, P3, {39, 40, 41}),
                      samplePlot(T::fext, CableEnd::remote, P1, P2, {90, 90, 90, 20, 30, 31})};
    const struct {
        CopperTestType type;
        CableEnd end;
        WirePair src, rcv;
        bool masked;
        std::vector<uint16_t> mask;
    } kCases[] = {
        // Return loss: zero where the receive pair's insertion loss is below 3 dB; none without that plot.
        {T::rl, CableEnd::remote, P1, P2, true, {0, 0, 1, 1, 0, 1}},
        {T::rl, CableEnd::main, P4, P4, false, {}},
        {T::tcl, CableEnd::main, P2, P2, false, {}},
        // ELFEXT: the other end's FEXT for the reversed pairs.
        {T::elfext, CableEnd::main, P2, P1, true, {1, 1, 1, 1, 1, 0}},
        {T::elfext, CableEnd::main, P1, P2, false, {}},
        // NEXT: the four dB rule.
        {T::psnext, CableEnd::main, P3, P3, true, {0, 1, 1}},
        {T::acr, CableEnd::main, P1, P2, false, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(toString(c.type));
        std::vector<uint16_t> mask;
        EXPECT_EQ(t->getLimitEnforced(c.type, c.end, c.src, c.rcv, mask), c.masked);
        if (c.masked) {
            EXPECT_EQ(mask, c.mask);
        }
    }
    std::vector<uint16_t> mask;
    t->body.limit->do3dbRuleRl = false;
    EXPECT_FALSE(t->getLimitEnforced(T::rl, CableEnd::main, P2, P2, mask));
}

TEST(RecertifyMasks, RlRecordIgnoresTheMaskedLowFrequencies) {
    auto t = bareTest();
    t->body.limit->do3dbRuleRl = true;
    t->body.limit->freqLimits = {freqLimit(L::RL, flat(4, 200))};
    t->plots.plots = {samplePlot(T::il, CableEnd::main, P1, P1, {10, 20, 40, 50}),
                      samplePlot(T::rl, CableEnd::main, P1, P1, {100, 150, 250, 260})};
    t->recertify(kNoNvp);
    CopperFreq r;
    ASSERT_TRUE(t->body.copperfreqs.findFreq(r, T::rl, CableEnd::main, P1, P1));
    EXPECT_EQ(r.status, Status::pass);
    EXPECT_EQ(r.wmValue.value, 250);
}

TEST(RecertifyBounds, CurvesTimesPlotsBeyondAnyRealLimitAreRefusedAndManyAreMatchedThroughAnIndex) {
    // 300 generic NEXT curves meet 300 NEXT plots: 90,000 records, far more than any real limit makes.
    auto t = bareTest();
    for (int i = 0; i < 300; ++i) t->body.limit->freqLimits.push_back(freqLimit(L::NEXT, flat(3, 300)));
    for (int i = 0; i < 300; ++i) t->plots.plots.push_back(samplePlot(T::next, CableEnd::main, P1, P2, flat(3, 400)));
    EXPECT_FALSE(Evaluation::freqRecordsWithinBounds(*t));
    EXPECT_FALSE(Evaluation::rebuildFreqRecords(*t));
    t->body.status = Status::pass;
    EXPECT_EQ(t->recertify(kNoNvp), Status::pass);  // left as it was
    EXPECT_TRUE(t->body.copperfreqs.freqs.empty());

    // A file holding such a test does not read.
    CopperResult result = kx::test::cat6AResult();
    result.test->body.limit = t->body.limit;
    result.test->plots.plots.insert(result.test->plots.plots.end(), t->plots.plots.begin(), t->plots.plots.end());
    const auto bytes = CopperResultWriter::writeResult(result);
    ASSERT_FALSE(bytes.empty());
    CopperResult back;
    EXPECT_EQ(CopperResultReader::readResult(back, bytes.data(), static_cast<uint32_t>(bytes.size())),
              ResultReaderStatus::badData);

    // 5000 NEXT curves that the alternate rule sets aside and one alternate curve, against 5000 NEXT plots:
    // each pairing once looked the alternate curve up among all curves.
    t = bareTest();
    t->body.limit->altNextCurveRule = CopperLimit::AltNextCurveRule::next12dB450MHz;
    for (int i = 0; i < 5000; ++i) t->body.limit->freqLimits.push_back(freqLimit(L::NEXT, flat(3, 300)));
    t->body.limit->freqLimits.push_back(freqLimit(L::NEXT_ALT, flat(3, 200)));
    t->plots.plots.push_back(samplePlot(T::il, CableEnd::main, P2, P2, flat(1100, 100)));
    for (int i = 0; i < 5000; ++i) t->plots.plots.push_back(samplePlot(T::next, CableEnd::main, P1, P2, flat(3, 400)));
    EXPECT_TRUE(Evaluation::freqRecordsWithinBounds(*t));
    t->recertify(kNoNvp);
    ASSERT_EQ(t->body.copperfreqs.freqs.size(), 5000u);
    EXPECT_EQ(t->body.copperfreqs.freqs[0].limitType, L::NEXT_ALT);
    EXPECT_EQ(t->body.copperfreqs.freqs[0].status, Status::pass);
}
