#include "SimStockResults.h"

#include <memory>
#include <stdexcept>
#include <variant>

#include "CopperLink.h"
#include "EndFace.h"
#include "Equipment.h"
#include "FiberLink.h"
#include "LossLength.h"
#include "OtdrTests.h"
#include "ResultFiles.h"
#include "fiber/FiberOtdrBidiAvg.h"

namespace Kestrix::Sim {

namespace {

using namespace Kestrix::LinkGen;

// A stable seed from the cable id (FNV-1a): the same cable is the same link.
uint64_t seedOf(const std::string& cableId) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : cableId) h = (h ^ c) * 1099511628211ull;
    return h;
}

TestRun crew(ModuleKind kind, const std::string& cableId, int64_t when, size_t pair = 0) {
    TestRun run;
    run.when = when;
    run.operatorName = operators()[seedOf(cableId) % operators().size()];
    const auto units = testersOf(kind);
    run.main = units[std::min(2 * pair, units.size() - 1)];
    run.remote = units.size() > 2 * pair + 1 ? units[2 * pair + 1] : nullptr;
    run.end1Name = "MDF-" + cableId.substr(0, 2);
    run.end2Name = "IDF-" + cableId.substr(cableId.size() > 2 ? cableId.size() - 2 : 0);
    return run;
}

// The first link drawn from the cable's seed whose measurement meets `wanted` (the stock shows a case of
// every kind; which draw of the model shows it is found, not forced).
template <typename Measure, typename Wanted>
auto firstWhere(uint64_t seed, Measure measure, Wanted wanted) {
    auto result = measure(seed);
    for (int attempt = 1; attempt < 200 && !wanted(result); ++attempt) result = measure(seed + 7919ull * attempt);
    if (!wanted(result)) throw std::runtime_error("no link of the model shows the stocked case");
    return result;
}

CopperLinkDesign copperDesign(const std::string& cableId, Grade grade, double lengthM) {
    CopperLinkDesign s;
    s.grade = grade;
    s.lengthM = lengthM;
    s.seed = seedOf(cableId);
    return s;
}

constexpr Grade kCat6APl{Category::cat6A, Standard::tia, LinkClass::permanentLink};
constexpr Grade kCat6Pl{Category::cat6, Standard::tia, LinkClass::permanentLink};

std::vector<uint8_t> copperFile(StockKind kind, const std::string& cableId, int64_t when) {
    const TestRun run = crew(ModuleKind::copper, cableId, when, kind == StockKind::copperCat5e ? 1 : 0);
    CopperLinkDesign s = copperDesign(cableId, kCat6APl, 38.6);
    Status wanted = Status::pass;
    switch (kind) {
        case StockKind::copperPass: break;
        case StockKind::copperFail:
            s.fault = CopperFault::badTermination;
            wanted = Status::fail;
            break;
        case StockKind::copperPassStar:
            s = copperDesign(cableId, kCat6Pl, 86.4);
            wanted = Status::passStar;
            break;
        case StockKind::copperChannel:
            s = copperDesign(cableId, {Category::cat6, Standard::tia, LinkClass::channel}, 71.2);
            s.cordsM = 7.0;
            s.wiring = Wiring::t568A;
            break;
        case StockKind::copperCat5e:
            s = copperDesign(cableId, {Category::cat5e, Standard::tia, LinkClass::permanentLink}, 52.3);
            break;
        case StockKind::copperIso:
            s = copperDesign(cableId, {Category::cat6A, Standard::iso, LinkClass::permanentLink}, 27.9);
            s.shielded = true;
            break;
        case StockKind::copperTooLong:
            s = copperDesign(cableId, kCat6Pl, 108.5);
            s.fault = CopperFault::tooLong;
            wanted = Status::fail;
            break;
        case StockKind::copperUnbalance:
            s.shielded = true;
            s.fault = CopperFault::resistanceUnbalance;
            wanted = Status::fail;
            break;
        default: {
            s.fault = CopperFault::wiremap;
            wanted = Status::fail;
            const WiremapFault faults[] = {WiremapFault::open,         WiremapFault::shortCircuit,
                                           WiremapFault::reversedPair, WiremapFault::crossedPairs,
                                           WiremapFault::splitPair,    WiremapFault::miswire,
                                           WiremapFault::shieldOpen};
            s.wiremapFault = faults[static_cast<int>(kind) - static_cast<int>(StockKind::copperOpen)];
            s.shielded = s.wiremapFault == WiremapFault::shieldOpen;
        }
    }
    const auto test = firstWhere(
        s.seed,
        [&](uint64_t seed) {
            CopperLinkDesign t = s;
            t.seed = seed;
            return measureCopperLink(t, run);
        },
        [wanted](const CopperTestPtr& t) { return t->body.status == wanted; });
    return copperResultFile(test, cableId);
}

FiberLinkDesign fiberDesign(const std::string& cableId, FiberKind fiber, double lengthM, int connectors, int splices) {
    FiberLinkDesign f;
    f.fiber = fiber;
    f.lengthM = lengthM;
    f.innerConnectors = connectors;
    f.splices = splices;
    f.seed = seedOf(cableId);
    return f;
}

void addOtdr(FiberResult& r, std::unique_ptr<FiberOtdrTest> t) { r.addTest(std::move(t)); }

std::vector<uint8_t> otdrFile(StockKind kind, const std::string& cableId, int64_t when) {
    TestRun run = crew(ModuleKind::otdr, cableId, when);
    FiberResult r = fiberResult(cableId, when);
    OtdrSetup design;
    switch (kind) {
        case StockKind::otdrEnd1:
        case StockKind::otdrEnd2: {
            const FiberLink link(fiberDesign(cableId, FiberKind::os2, 1612.4, 1, 2));
            const CableEnd end = kind == StockKind::otdrEnd2 ? CableEnd::end2 : CableEnd::end1;
            addOtdr(r, std::make_unique<FiberOtdrTest>(measureOtdr(link, end, design, run, seedOf(cableId) + 1)));
            break;
        }
        case StockKind::otdrBothEnds:
        case StockKind::otdrBidi: {
            const bool quad = kind == StockKind::otdrBothEnds;
            if (quad) design.wavelengths = {1310, 1490, 1550, 1625};
            const FiberLink link(fiberDesign(cableId, FiberKind::os2, quad ? 2000.0 : 1187.5, 1, quad ? 2 : 1));
            TestRun first = run;
            first.when = when - 1800;
            auto one =
                std::make_unique<FiberOtdrTest>(measureOtdr(link, CableEnd::end1, design, first, seedOf(cableId)));
            auto two =
                std::make_unique<FiberOtdrTest>(measureOtdr(link, CableEnd::end2, design, run, seedOf(cableId) + 1));
            if (!quad) {
                auto bidi = createBidiTest(*one, *two, when);
                auto* made = std::get_if<std::unique_ptr<FiberOtdrTest>>(&bidi);
                if (made == nullptr || !*made) throw std::runtime_error("the stocked OTDR tests do not combine");
                addOtdr(r, std::move(one));
                addOtdr(r, std::move(two));
                r.addTest(std::move(*made));
            } else {
                addOtdr(r, std::move(one));
                addOtdr(r, std::move(two));
            }
            break;
        }
        case StockKind::otdrMacrobend: {
            FiberLinkDesign f = fiberDesign(cableId, FiberKind::os2, 842.0, 1, 1);
            f.macrobend = true;
            const FiberLink link(f);
            addOtdr(r,
                    std::make_unique<FiberOtdrTest>(measureOtdr(link, CableEnd::end1, design, run, seedOf(cableId))));
            break;
        }
        case StockKind::faultMap: {
            run.main = testersOf(ModuleKind::otdr)[1];
            const FiberLink link(fiberDesign(cableId, FiberKind::om4, 110.2, 2, 0));
            addOtdr(r, std::make_unique<FiberOtdrTest>(measureFaultMap(link, run, seedOf(cableId))));
            break;
        }
        default: {
            const FiberLink link(fiberDesign(cableId, FiberKind::os2, 2436.0, 1, 2));
            addOtdr(r, std::make_unique<FiberOtdrTest>(measureRealTimeTrace(link, run, seedOf(cableId))));
        }
    }
    return fiberResultFile(r);
}

std::vector<uint8_t> imageFile(const std::string& cableId, int64_t when) {
    const TestRun run = crew(ModuleKind::lossSet, cableId, when);
    TestRun first = run;
    first.when = when - 120;
    FiberResult r = fiberResult(cableId, when);
    EndFaceDesign dirty{FiberMode::singlemode, true, false, seedOf(cableId)};
    EndFaceDesign clean{FiberMode::singlemode, false, true, seedOf(cableId) + 1};
    r.addTest(std::make_unique<FiberImageTest>(inspectEndFace(dirty, FiberTestType::imageEnd1, first)));
    r.addTest(std::make_unique<FiberImageTest>(inspectEndFace(clean, FiberTestType::imageEnd2, run)));
    return fiberResultFile(r);
}

std::vector<uint8_t> lossLengthFile(bool clean, const std::string& cableId, int64_t when) {
    const TestRun run = crew(ModuleKind::lossSet, cableId, when);
    const uint64_t seed = seedOf(cableId);
    FiberResult r = fiberResult(cableId, when);
    if (clean) {
        const bool sm = seed % 2 == 0;
        FiberLinkDesign f =
            fiberDesign(cableId, sm ? FiberKind::os2 : FiberKind::om3, sm ? 480.0 : 148.3, 1, sm ? 1 : 0);
        r.addTest(std::make_unique<FiberLossLengthTest>(measureLossLength(FiberLink(f), run, seed)));
        return fiberResultFile(r);
    }
    // The dirty connector: looked at first, then the loss that fails the budget.
    TestRun first = run;
    first.when = when - 300;
    auto ll = firstWhere(
        seed,
        [&](uint64_t s) {
            FiberLinkDesign f = fiberDesign(cableId, FiberKind::om3, 121.6, 0, 0);
            f.seed = s;
            f.dirtyEnd1 = true;
            return measureLossLength(FiberLink(f), run, s);
        },
        [](const FiberLossLengthTest& t) { return t.summary.status == Status::fail; });
    EndFaceDesign face{FiberMode::multimode, true, false, seed};
    r.addTest(std::make_unique<FiberImageTest>(inspectEndFace(face, FiberTestType::imageEnd1, first)));
    r.addTest(std::make_unique<FiberLossLengthTest>(std::move(ll)));
    return fiberResultFile(r);
}

std::vector<uint8_t> powerMeterFile(const std::string& cableId, int64_t when) {
    const TestRun run = crew(ModuleKind::lossSet, cableId, when);
    TestRun first = run;
    first.when = when - 300;
    const FiberLink link(fiberDesign(cableId, FiberKind::os2, 930.0, 1, 0));
    FiberResult r = fiberResult(cableId, when);
    r.addTest(std::make_unique<FiberPowerMeterTest>(measurePower(link, CableEnd::end1, first, seedOf(cableId))));
    r.addTest(std::make_unique<FiberPowerMeterTest>(measurePower(link, CableEnd::end2, run, seedOf(cableId) + 1)));
    return fiberResultFile(r);
}

}  // namespace

std::vector<uint8_t> stockResult(StockKind kind, const std::string& cableId, int64_t when) {
    switch (kind) {
        case StockKind::otdrEnd1:
        case StockKind::otdrEnd2:
        case StockKind::otdrBothEnds:
        case StockKind::otdrBidi:
        case StockKind::otdrMacrobend:
        case StockKind::faultMap:
        case StockKind::realTimeTrace: return otdrFile(kind, cableId, when);
        case StockKind::endFaceImage: return imageFile(cableId, when);
        case StockKind::lossLength: return lossLengthFile(false, cableId, when);
        case StockKind::lossLengthPass: return lossLengthFile(true, cableId, when);
        case StockKind::powerMeter: return powerMeterFile(cableId, when);
        case StockKind::coax: {
            const TestRun run = crew(ModuleKind::copper, cableId, when);
            return copperResultFile(measureCoaxLink(41.3, seedOf(cableId), run), cableId);
        }
        default: return copperFile(kind, cableId, when);
    }
}

}  // namespace Kestrix::Sim
