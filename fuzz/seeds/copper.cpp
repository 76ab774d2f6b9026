// Seeds of the copper result fuzz target.
#include <cstdint>
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
        kx::test::samplePlot(CopperTestType::next, CableEnd::main, WirePair::pair1, WirePair::pair2, {400, 350, 301, 299})};
    CopperResult result;
    result.summary.resultType = ResultType::COPPER;
    result.mergeCopperTest(test, false);
    return CopperResultWriter::writeResult(result);
}

const kx::fuzz::SeedRegistration r1("fuzz_copper_result", "cat6a", [] { return kx::test::cat6AResultFile(); });
const kx::fuzz::SeedRegistration r2("fuzz_copper_result", "small", [] { return smallResult(); });

}  // namespace
