// Seeds of the copper result fuzz target.
#include <cstdint>
#include <functional>
#include <vector>

#include "SeedRegistry.h"
#include "copper/CopperBuilders.h"
#include "copper/CopperLimit.h"
#include "copper/CopperResultWriter.h"

namespace {

// A small result: two NEXT plots with a short limit, so that mutations reach the evaluation quickly.
std::vector<uint8_t> smallResult() {
    using namespace Kestrix;
    auto test = std::make_shared<CopperTest>();
    test->body.outletConfig = kx::test::t568bOutlet();
    test->body.wiremap = kx::test::straightThroughWiremap();
    test->body.settings.storePlotData = CopperSettings::StorePlotData::standard;
    auto limit = std::make_shared<CopperLimit>();
    CopperFreqLimit next;
    next.freqLimitType = CopperFreqLimitType::NEXT;
    next.limitCurve = {300, 300, 300, 300};
    next.accPoints = {{1000, 0.5f}};
    limit->freqLimits.push_back(next);
    limit->do4dbRuleNext = true;
    test->body.limit = limit;
    test->body.scalars.push_back(kx::test::scalar(CopperTestType::length, WirePair::pair1, 10.0f, ScaledInt::tenths));
    test->plots.plots = {
        kx::test::samplePlot(CopperTestType::il, CableEnd::main, WirePair::pair2, WirePair::pair2, {10, 40, 50, 60}),
        kx::test::samplePlot(CopperTestType::next, CableEnd::main, WirePair::pair1, WirePair::pair2,
                             {400, 350, 301, 299})};
    CopperResult result;
    result.summary.resultType = ResultType::COPPER;
    result.mergeCopperTest(test, false);
    return CopperResultWriter::writeResult(result);
}

// The worst shapes a file can take for the evaluation and the wiremap groups, at sizes a fixed build
// handles in well under the smoke's per-input time-out.
std::vector<uint8_t> craftedResult(const std::function<void(Kestrix::CopperTest&)>& shape) {
    using namespace Kestrix;
    CopperResult result = kx::test::cat6AResult();
    auto test = std::make_shared<CopperTest>(*result.test);
    shape(*test);
    result.test = test;
    return CopperResultWriter::writeResult(result);
}

// 300 generic NEXT curves against 300 NEXT plots: more records than any real limit makes (refused).
std::vector<uint8_t> curvesTimesPlots() {
    return craftedResult([](Kestrix::CopperTest& t) {
        using namespace Kestrix;
        CopperFreqLimit next;
        next.freqLimitType = CopperFreqLimitType::NEXT;
        next.limitCurve = {300, 300, 300};
        for (int i = 0; i < 300; ++i) t.body.limit->freqLimits.push_back(next);
        for (int i = 0; i < 300; ++i)
            t.plots.plots.push_back(kx::test::samplePlot(CopperTestType::next, CableEnd::main, WirePair::pair1,
                                                         WirePair::pair2, {400, 400, 400}));
    });
}

// 1000 NEXT curves that the alternate rule sets aside, one alternate curve, 1000 NEXT plots.
std::vector<uint8_t> alternateCurves() {
    return craftedResult([](Kestrix::CopperTest& t) {
        using namespace Kestrix;
        auto limit = std::make_shared<CopperLimit>(*t.body.limit);
        limit->altNextCurveRule = CopperLimit::AltNextCurveRule::next12dB450MHz;
        CopperFreqLimit next;
        next.freqLimitType = CopperFreqLimitType::NEXT;
        next.limitCurve = {300, 300, 300};
        for (int i = 0; i < 1000; ++i) limit->freqLimits.push_back(next);
        next.freqLimitType = CopperFreqLimitType::NEXT_ALT;
        limit->freqLimits.push_back(next);
        t.body.limit = limit;
        for (int i = 0; i < 1000; ++i)
            t.plots.plots.push_back(kx::test::samplePlot(CopperTestType::next, CableEnd::main, WirePair::pair1,
                                                         WirePair::pair2, {400, 400, 400}));
    });
}

// 5000 shorts on pins and ends that do not exist, each a new key.
std::vector<uint8_t> impossibleShorts() {
    return craftedResult([](Kestrix::CopperTest& t) {
        using namespace Kestrix;
        for (uint32_t i = 0; i < 5000; ++i)
            t.body.wiremap.shorts.push_back({i % 3 == 0 ? static_cast<CableEnd>(3 + i % 1000) : CableEnd::main,
                                             static_cast<Pin>(10 + i), static_cast<Pin>(30000 + i), ScaledInt()});
    });
}

const kx::fuzz::SeedRegistration r1("fuzz_copper_result", "cat6a", [] { return kx::test::cat6AResultFile(); });
const kx::fuzz::SeedRegistration r2("fuzz_copper_result", "small", [] { return smallResult(); });
const kx::fuzz::SeedRegistration r3("fuzz_copper_result", "curves-times-plots", [] { return curvesTimesPlots(); });
const kx::fuzz::SeedRegistration r4("fuzz_copper_result", "alternate-curves", [] { return alternateCurves(); });
const kx::fuzz::SeedRegistration r5("fuzz_copper_result", "impossible-shorts", [] { return impossibleShorts(); });

}  // namespace
