#include "Fleet.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>
#include <variant>

#include "CopperLink.h"
#include "EndFace.h"
#include "Equipment.h"
#include "FiberLink.h"
#include "LossLength.h"
#include "OtdrTests.h"
#include "Random.h"
#include "ResultFiles.h"
#include "common/ResultEnvelope.h"
#include "fiber/FiberOtdrBidiAvg.h"

namespace Kestrix::LinkGen {

namespace {

enum class Kind {
    copper,
    coax,
    lossLength,
    otdrEnd1,
    otdrBothEnds,
    otdrBidi,
    faultMap,
    realTimeTrace,
    endFace,
    powerMeter
};

// One link of the pool: what it is and how it was built, faults included.
struct LinkPlan {
    Kind kind = Kind::copper;
    CopperLinkDesign copper;
    FiberLinkDesign fiber;
    EndFaceDesign endFace;
    size_t crew = 0;  // which units measured it
    uint64_t seed = 0;
};

// A pick by weight.
template <typename T>
T pick(Random& rng, const std::vector<std::pair<T, double>>& weights) {
    double total = 0.0;
    for (const auto& w : weights) total += w.second;
    double x = rng.uniform(0.0, total);
    for (const auto& w : weights) {
        if (x < w.second) return w.first;
        x -= w.second;
    }
    return weights.back().first;
}

// Triangular: installed horizontal runs cluster around the middle of what the building allows.
double triangular(Random& rng, double lo, double mode, double hi) {
    const double u = rng.unit(), c = (mode - lo) / (hi - lo);
    return u < c ? lo + std::sqrt(u * (hi - lo) * (mode - lo)) : hi - std::sqrt((1.0 - u) * (hi - lo) * (hi - mode));
}

double tenth(double m) { return std::round(m * 10.0) / 10.0; }

void planCopper(LinkPlan& p, Random& rng) {
    using G = Grade;
    const G grade = pick<G>(rng, {{{Category::cat6A, Standard::tia, LinkClass::permanentLink}, 40},
                                  {{Category::cat6, Standard::tia, LinkClass::permanentLink}, 25},
                                  {{Category::cat5e, Standard::tia, LinkClass::permanentLink}, 10},
                                  {{Category::cat6A, Standard::tia, LinkClass::channel}, 10},
                                  {{Category::cat6, Standard::tia, LinkClass::channel}, 7},
                                  {{Category::cat6A, Standard::iso, LinkClass::permanentLink}, 8}});
    CopperLinkDesign& s = p.copper;
    s.grade = grade;
    s.wiring = rng.chance(0.85) ? Wiring::t568B : Wiring::t568A;
    const double screened = grade.category == Category::cat6A ? 0.6 : (grade.category == Category::cat6 ? 0.2 : 0.1);
    s.shielded = rng.chance(screened);
    const bool channel = grade.link == LinkClass::channel;
    s.lengthM = tenth(triangular(rng, 5.0, 42.0, channel ? 84.0 : 88.0));
    s.cordsM = channel ? tenth(rng.uniform(3.0, 10.0)) : 0.0;
    const double roll = rng.unit();
    if (roll < 0.03) {
        s.fault = CopperFault::badTermination;
        s.faultyEnd = rng.chance(0.5) ? 1 : 2;
    } else if (roll < 0.045) {
        s.fault = CopperFault::tooLong;
        s.lengthM = tenth(rng.uniform(101.0, 115.0));
    } else if (roll < 0.055) {
        s.fault = CopperFault::resistanceUnbalance;
    } else if (roll < 0.09) {
        s.fault = CopperFault::wiremap;
        std::vector<std::pair<WiremapFault, double>> faults = {
            {WiremapFault::open, 3},         {WiremapFault::shortCircuit, 2}, {WiremapFault::reversedPair, 2},
            {WiremapFault::crossedPairs, 2}, {WiremapFault::splitPair, 1},    {WiremapFault::miswire, 1}};
        if (s.shielded) faults.emplace_back(WiremapFault::shieldOpen, 2);
        s.wiremapFault = pick(rng, faults);
    }
    s.seed = rng.next();
}

void planFiber(LinkPlan& p, Random& rng) {
    FiberLinkDesign& f = p.fiber;
    f.seed = rng.next();
    switch (p.kind) {
        case Kind::faultMap:
            f.fiber = rng.chance(0.5) ? FiberKind::om3 : FiberKind::om4;
            f.lengthM = tenth(rng.uniform(40.0, 300.0));
            f.innerConnectors = rng.between(1, 3);
            return;
        case Kind::otdrEnd1:
        case Kind::otdrBothEnds:
        case Kind::otdrBidi:
        case Kind::realTimeTrace: {
            const bool sm = rng.chance(0.7);
            f.fiber = sm ? FiberKind::os2 : FiberKind::om4;
            f.lengthM = tenth(sm ? rng.uniform(300.0, 4000.0) : rng.uniform(80.0, 550.0));
            f.innerConnectors = rng.between(0, 2);
            f.splices = sm ? rng.between(0, static_cast<int>(1 + f.lengthM / 1000.0)) : 0;
            f.macrobend = p.kind != Kind::realTimeTrace && rng.chance(0.08);
            f.dirtyEnd1 = p.kind != Kind::realTimeTrace && rng.chance(0.03);
            break;
        }
        default: {
            f.fiber = pick<FiberKind>(rng, {{FiberKind::om3, 35}, {FiberKind::om4, 20}, {FiberKind::os2, 45}});
            const bool sm = f.fiber == FiberKind::os2;
            f.lengthM = tenth(sm ? rng.uniform(60.0, 2500.0) : rng.uniform(25.0, 300.0));
            f.innerConnectors = pick<int>(rng, {{0, 50}, {1, 30}, {2, 20}});
            f.splices = sm ? rng.between(0, 2) : (rng.chance(0.1) ? 1 : 0);
            f.dirtyEnd1 = p.kind == Kind::lossLength && rng.chance(0.04);
            f.macrobend = p.kind == Kind::lossLength && rng.chance(0.03);
        }
    }
}

LinkPlan linkPlan(uint32_t seed, size_t poolIndex, FleetMix mix) {
    Random rng = Random(seed).fork(poolIndex + 1);
    LinkPlan p;
    p.kind = pick<Kind>(rng, {{Kind::copper, 58},
                              {Kind::coax, 2},
                              {Kind::lossLength, 20},
                              {Kind::otdrEnd1, 4},
                              {Kind::otdrBothEnds, 4},
                              {Kind::otdrBidi, 3},
                              {Kind::faultMap, 2},
                              {Kind::realTimeTrace, 1},
                              {Kind::endFace, 4},
                              {Kind::powerMeter, 2}});
    if (mix == FleetMix::copper) p.kind = Kind::copper;
    if (mix == FleetMix::otdr) p.kind = Kind::otdrBothEnds;
    p.crew = rng.below(2);
    p.seed = rng.next();
    switch (p.kind) {
        case Kind::copper: planCopper(p, rng); break;
        case Kind::coax: p.copper.lengthM = tenth(rng.uniform(8.0, 60.0)); break;
        case Kind::endFace:
            p.endFace.mode = rng.chance(0.5) ? FiberMode::singlemode : FiberMode::multimode;
            p.endFace.dirty = rng.chance(0.25);
            p.endFace.scratched = rng.chance(0.15);
            p.endFace.seed = rng.next();
            break;
        default: planFiber(p, rng); break;
    }
    return p;
}

// The units that took the measurement: copper pairs (one of them past its calibration), a loss set pair, an
// OTDR per fiber mode.
TestRun crewFor(const LinkPlan& p, int64_t when) {
    TestRun run;
    run.when = when;
    run.operatorName = operators().front();
    switch (p.kind) {
        case Kind::copper:
        case Kind::coax: {
            const auto units = testersOf(ModuleKind::copper);
            run.main = units[2 * p.crew];
            run.remote = units[2 * p.crew + 1];
            break;
        }
        case Kind::lossLength:
        case Kind::powerMeter:
        case Kind::endFace: {
            const auto units = testersOf(ModuleKind::lossSet);
            run.main = units[0];
            run.remote = units[1];
            break;
        }
        default: {
            const auto units = testersOf(ModuleKind::otdr);
            run.main = units[p.fiber.fiber == FiberKind::os2 ? 0 : 1];
        }
    }
    return run;
}

std::vector<uint8_t> measure(const LinkPlan& plan, bool repaired, int64_t when) {
    const TestRun run = crewFor(plan, when);
    const std::string name = "POOL";
    if (plan.kind == Kind::copper) {
        CopperLinkDesign s = plan.copper;
        if (repaired) {
            s.fault = CopperFault::none;
            // Re-terminated, or shortened back inside the limit.
            if (plan.copper.fault == CopperFault::tooLong)
                s.lengthM = tenth(80.0 + std::fmod(plan.copper.lengthM, 9.0));
        }
        TestRun r = run;
        r.retest = repaired;
        return copperResultFile(measureCopperLink(s, r), name);
    }
    if (plan.kind == Kind::coax) return copperResultFile(measureCoaxLink(plan.copper.lengthM, plan.seed, run), name);
    FiberResult r = fiberResult(name, when);
    if (plan.kind == Kind::endFace) {
        EndFaceDesign e = plan.endFace;
        if (repaired) e.dirty = false;
        r.addTest(std::make_unique<FiberImageTest>(inspectEndFace(e, FiberTestType::imageEnd1, run)));
        return fiberResultFile(r);
    }
    FiberLinkDesign f = plan.fiber;
    if (repaired) f.dirtyEnd1 = f.macrobend = false;  // cleaned, or the cable re-routed
    const FiberLink link(f);
    TestRun before = run;
    before.when = when - 900;
    switch (plan.kind) {
        case Kind::lossLength:
            if (f.dirtyEnd1) {
                // The inspection that shows why the loss is high.
                EndFaceDesign e{fiberType(f.fiber).mode, true, false, plan.seed};
                r.addTest(std::make_unique<FiberImageTest>(inspectEndFace(e, FiberTestType::imageEnd1, before)));
            }
            r.addTest(std::make_unique<FiberLossLengthTest>(measureLossLength(link, run, plan.seed)));
            break;
        case Kind::powerMeter:
            r.addTest(std::make_unique<FiberPowerMeterTest>(measurePower(link, CableEnd::end1, before, plan.seed)));
            r.addTest(std::make_unique<FiberPowerMeterTest>(measurePower(link, CableEnd::end2, run, plan.seed + 1)));
            break;
        case Kind::otdrEnd1:
            r.addTest(std::make_unique<FiberOtdrTest>(measureOtdr(link, CableEnd::end1, {}, run, plan.seed)));
            break;
        case Kind::otdrBothEnds:
        case Kind::otdrBidi: {
            OtdrSetup design;
            auto& one = static_cast<FiberOtdrTest&>(r.addTest(
                std::make_unique<FiberOtdrTest>(measureOtdr(link, CableEnd::end1, design, before, plan.seed))));
            auto& two = static_cast<FiberOtdrTest&>(r.addTest(
                std::make_unique<FiberOtdrTest>(measureOtdr(link, CableEnd::end2, design, run, plan.seed + 1))));
            if (plan.kind == Kind::otdrBidi) {
                auto bidi = createBidiTest(one, two, when);
                if (auto* made = std::get_if<std::unique_ptr<FiberOtdrTest>>(&bidi); made && *made)
                    r.addTest(std::move(*made));
            }
            break;
        }
        case Kind::faultMap: r.addTest(std::make_unique<FiberOtdrTest>(measureFaultMap(link, run, plan.seed))); break;
        default: r.addTest(std::make_unique<FiberOtdrTest>(measureRealTimeTrace(link, run, plan.seed))); break;
    }
    return fiberResultFile(r);
}

bool sameDay(int64_t a, int64_t b) { return a / kDay == b / kDay; }

Status statusOf(const std::vector<uint8_t>& file) {
    ResultSummary s;
    return readResultSummary(s, file.data(), static_cast<uint32_t>(file.size())) == ResultReaderStatus::success
               ? s.status
               : Status::notSet;
}

}  // namespace

struct Fleet::Planned {
    size_t poolIndex = 0;
    ResultType type = ResultType::NOT_SET;
};

Fleet::Fleet(uint32_t seed, size_t projects, int64_t firstDay, std::string prefix, size_t poolSize, FleetMix mix)
    : _seed(seed),
      _projects(projects == 0 ? 1 : projects),
      _prefix(std::move(prefix)),
      _poolSize(poolSize == 0 ? 1 : poolSize),
      _mix(mix),
      _clock(firstDay + 7 * 3600 + 1800) {}

Fleet::Planned Fleet::plan(size_t index) const {
    Random rng = Random(_seed).fork(0x51ull << 32 | index);
    Planned p;
    p.poolIndex = rng.below(_poolSize);
    const LinkPlan link = linkPlan(_seed, p.poolIndex, _mix);
    p.type = link.kind == Kind::copper || link.kind == Kind::coax ? ResultType::COPPER : ResultType::FIBER;
    return p;
}

const std::vector<uint8_t>& Fleet::measured(size_t poolIndex, bool repaired) {
    auto& slot = _pool[{poolIndex, repaired}];
    if (slot.empty()) {
        slot = measure(linkPlan(_seed, poolIndex, _mix), repaired, _clock);
        if (slot.empty()) throw std::runtime_error("cannot measure a link of the fleet");
    }
    return slot;
}

FleetRecord Fleet::next() {
    Random rng = Random(_seed).fork(0x52ull << 32 | _index);
    // The working day: 07:30 to 17:30, Monday to Friday; a few minutes per link.
    _clock += static_cast<int64_t>(rng.uniform(60.0, 420.0));
    const int64_t dayStart = _clock - _clock % kDay;
    if (_clock - dayStart > 17 * 3600 + 1800) {
        int64_t day = dayStart + kDay;
        while ((day / kDay + 3) % 7 >= 5) day += kDay;  // 1970-01-01 was a Thursday
        _clock = day + 7 * 3600 + 1800 + static_cast<int64_t>(rng.uniform(0.0, 1800.0));
    }

    FleetRecord out;
    out.project = _index % _projects;
    Planned p = plan(_index);
    auto& last = _last[out.project];
    // The failed link of a little earlier, repaired and tested again under its cable id, when the repair
    // made it pass.
    const bool retest = last.valid && last.failed && !last.retest && sameDay(last.when, _clock) && rng.chance(0.6) &&
                        statusOf(measured(last.poolIndex, true)) != Status::fail;
    if (retest) {
        p.poolIndex = last.poolIndex;
        p.type = last.type;
        out.cableId = last.cableId;
    } else {
        char number[32];
        std::snprintf(number, sizeof number, "-%zu-%05zu", out.project + 1, _index + 1);
        out.cableId = _prefix + number;
    }
    Filing filing{out.cableId, _clock, operators()[rng.below(operators().size())], retest};
    out.bytes = refile(measured(p.poolIndex, retest), filing);
    if (out.bytes.empty()) throw std::runtime_error("cannot file " + out.cableId);
    out.type = p.type;
    last = {true, p.poolIndex, statusOf(out.bytes) == Status::fail, retest, _clock, p.type, out.cableId};
    ++_index;
    return out;
}

}  // namespace Kestrix::LinkGen
