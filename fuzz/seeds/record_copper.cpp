// Seeds of the copper record fuzz target: the category 6A result, and variants with a damaged wiremap
// (opens, shorts, a split pair), a coax cable and an M12 outlet.
#include "SeedRegistry.h"
#include "copper/CopperBuilders.h"
#include "copper/CopperResultWriter.h"

namespace {

using namespace Kestrix;

std::vector<uint8_t> fileOf(const CopperTestPtr& test) {
    CopperResult result;
    result.summary.resultType = ResultType::COPPER;
    result.mergeCopperTest(test, false);
    result.summary.resultName = "seed";
    return CopperResultWriter::writeResult(result);
}

std::vector<uint8_t> damagedWiremap() {
    auto test = kx::test::cat6APermanentLinkTest();
    Wiremap& w = test->body.wiremap;
    w.status = Status::fail;
    w.connections.resize(4);
    WiremapArtifactOpen open;
    open.cableEnd = CableEnd::main;
    open.pin = Pin::pin7;
    open.lengthToOpen = ScaledInt::raw(125, ScaledInt::tenths);
    w.opens.push_back(open);
    WiremapArtifactShort sh;
    sh.cableEnd = CableEnd::remote;
    sh.pin1 = Pin::pin8;
    sh.pin2 = Pin::shield;
    sh.lengthToShort = ScaledInt::raw(40, ScaledInt::tenths);
    w.shorts.push_back(sh);
    WiremapArtifactSplitPair split;
    split.pair1 = WirePair::pair2;
    split.pair2 = WirePair::pair3;
    w.splitPairs.push_back(split);
    return fileOf(test);
}

std::vector<uint8_t> coax() {
    auto test = kx::test::cat6APermanentLinkTest();
    test->body.cable.catId = CopperCable::CatId::coax;
    return fileOf(test);
}

std::vector<uint8_t> m12() {
    auto test = kx::test::cat6APermanentLinkTest();
    test->body.outletConfig.name = "M12 X-Code";
    return fileOf(test);
}

const kx::fuzz::SeedRegistration s1("fuzz_tester_record_copper", "cat6a", [] { return kx::test::cat6AResultFile(); });
const kx::fuzz::SeedRegistration s2("fuzz_tester_record_copper", "damaged-wiremap", [] { return damagedWiremap(); });
const kx::fuzz::SeedRegistration s3("fuzz_tester_record_copper", "coax", [] { return coax(); });
const kx::fuzz::SeedRegistration s4("fuzz_tester_record_copper", "m12", [] { return m12(); });

}  // namespace
