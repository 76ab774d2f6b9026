#include "CopperLink.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "CopperCable.h"
#include "CopperLimits.h"
#include "Random.h"
#include "copper/CopperUtil.h"

namespace Kestrix::LinkGen {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kPairs = 4;

// One limit object per limit, shared by every test judged against it.
std::shared_ptr<CopperLimit> limitOf(const Grade& g) {
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<CopperLimit>> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = cache[limitName(g)];
    if (!slot) slot = std::make_shared<CopperLimit>(twistedPairLimit(g));
    return slot;
}

int16_t tenthsOf(double db) { return static_cast<int16_t>(std::clamp(std::lround(db * 10.0), -32000L, 32000L)); }

// The frequency grid of the tester up to the limit's highest frequency, in MHz.
std::vector<double> gridMHz(int maxKHz) {
    std::vector<double> f(static_cast<size_t>(kHzToIdx(maxKHz) + 1));
    for (size_t i = 0; i < f.size(); ++i) f[i] = idxToKHz(static_cast<int>(i)) / 1000.0;
    return f;
}

std::vector<double> amplitudes(const std::vector<double>& mhz, double (*db)(Category, double), Category c) {
    std::vector<double> a(mhz.size());
    for (size_t i = 0; i < mhz.size(); ++i) a[i] = std::pow(10.0, -db(c, mhz[i]) / 20.0);
    return a;
}

// A coupling along the link: its margin over the standard's term, where it sits (as a delay, which turns
// its phase with frequency) and, for the cable, how its many small couplings beat against each other.
struct Coupling {
    double marginDb = 0.0;
    double delayUs = 0.0;
    double phase = 0.0;
    double beatDepth = 0.0;  // 0 for a lumped connection
    double beatPeriodMHz = 50.0;
    double beatPhase = 0.0;
};

Coupling cableCoupling(Random& rng, double marginDb) {
    return {marginDb,
            rng.uniform(0.004, 0.03),
            rng.uniform(0.0, kTwoPi),
            rng.uniform(0.15, 0.45),
            rng.uniform(12.0, 70.0),
            rng.uniform(0.0, kTwoPi)};
}

// A lumped coupling whose signal comes back `delayUs` later than the reference (round trip for NEXT).
Coupling connection(Random& rng, double marginDb, double delayUs) {
    return {marginDb, delayUs, rng.uniform(0.0, kTwoPi), 0.0, 50.0, 0.0};
}

// Round trip to a point `m` metres down a cable at 0.7 c, in microseconds.
double roundTripUs(double m) { return 2.0 * m / 210.0; }

// e^(j (2 pi f delay + phase)) along the frequency grid, turned by a fixed step while the grid's spacing
// stays the same: the grid has a handful of spacings, so a handful of sin and cos calls make a whole curve.
class Turning {
public:
    Turning(double delay, double phase) : _delay(delay), _phase(phase) {}
    std::complex<double> at(size_t i, const std::vector<double>& mhz) {
        const double step = i > 0 ? mhz[i] - mhz[i - 1] : -1.0;
        if (i == 0 || step != _step) {
            _value = std::polar(1.0, kTwoPi * mhz[i] * _delay + _phase);
            _turn = std::polar(1.0, kTwoPi * step * _delay);
            _step = step;
        } else {
            _value *= _turn;
        }
        return _value;
    }

private:
    double _delay, _phase, _step = -1.0;
    std::complex<double> _value, _turn;
};

// -20 lg |sum of the couplings' phasors|: every term is at most its standard term less its margin, so the
// trace never falls below the standard's worst-case sum by more than the smallest margin allows.
std::vector<int16_t> crosstalkTrace(const std::vector<double>& mhz, const std::vector<double>& cableAmp,
                                    const std::vector<double>& connectionAmp, const Coupling& cable,
                                    const std::vector<Coupling>& connections, const std::vector<double>* addDb) {
    std::vector<int16_t> out(mhz.size());
    const double cableScale = std::pow(10.0, -cable.marginDb / 20.0);
    Turning cablePhase(cable.delayUs, cable.phase), beat(1.0 / cable.beatPeriodMHz, cable.beatPhase);
    std::vector<double> scales;
    std::vector<Turning> phases;
    for (const auto& c : connections) {
        scales.push_back(std::pow(10.0, -c.marginDb / 20.0));
        phases.emplace_back(c.delayUs, c.phase);
    }
    for (size_t i = 0; i < mhz.size(); ++i) {
        const double depth = cable.beatDepth * (0.5 + 0.5 * beat.at(i, mhz).imag());
        std::complex<double> sum = cableAmp[i] * cableScale * (1.0 - depth) * cablePhase.at(i, mhz);
        for (size_t k = 0; k < connections.size(); ++k) sum += connectionAmp[i] * scales[k] * phases[k].at(i, mhz);
        double db = -10.0 * std::log10(std::max(std::norm(sum), 1e-12));
        db = std::min(db, 88.0);  // the tester's floor
        if (addDb) db += (*addDb)[i];
        out[i] = tenthsOf(db);
    }
    return out;
}

CopperPlotPtr plot(CopperTestType type, CableEnd end, int src, int rcv, std::vector<int16_t> data) {
    auto p = std::make_shared<CopperPlot>(type, end, static_cast<WirePair>(src), static_cast<WirePair>(rcv));
    p->data = std::move(data);
    p->endIndex = p->data.empty() ? 0 : static_cast<uint32_t>(p->data.size() - 1);
    return p;
}

CopperScalar scalar(CopperTestType type, int pair, double value, ScaledInt::ScaledTo scale,
                    CableEnd end = CableEnd::main, int pair2 = 0) {
    CopperScalar s;
    s.copperTestType = type;
    s.wirePair = static_cast<WirePair>(pair);
    s.wirePair2 = static_cast<WirePair>(pair2);
    s.value = static_cast<float>(value);
    s.scaledTo = scale;
    s.cableEnd = end;
    return s;
}

// What one link is made of, drawn once from its seed.
struct Link {
    const CableType* cable = nullptr;
    Grade grade;
    double lengthM = 0.0;
    double cordsM = 0.0;
    int connections = 2;
    double temperature = 22.0;
    double nvp = 0.7;  // true, of this reel
    double lossShare = 0.94;
    std::vector<double> mhz;
};

std::vector<double> insertionLoss(const Link& l, int pair, Random& rng) {
    const Category c = l.cable->category;
    // Unscreened cable loses 0.4 % more per degree above 20, screened 0.2 %.
    const double heat = 1.0 + (l.cable->shield == CopperCable::Shield::UUTP ? 0.004 : 0.002) * (l.temperature - 20.0);
    const double lay = 1.0 + l.cable->lay[static_cast<size_t>(pair - 1)];
    const double cableM = l.lengthM * lay * heat + l.cordsM * lay * cordLossFactor(c);
    const double connectionShare = rng.uniform(0.35, 0.6);
    const double ripple = rng.uniform(0.01, 0.05), period = rng.uniform(20.0, 80.0), phase = rng.uniform(0, kTwoPi);
    std::vector<double> out(l.mhz.size());
    for (size_t i = 0; i < l.mhz.size(); ++i) {
        const double f = l.mhz[i];
        out[i] = cableM / 100.0 * l.lossShare * cableInsertionLossDb(c, f) +
                 l.connections * connectionShare * connectorInsertionLossDb(c, f) +
                 ripple * std::sqrt(f / 100.0) * std::sin(kTwoPi * f / period + phase);
    }
    return out;
}

std::vector<int16_t> toTenths(const std::vector<double>& db) {
    std::vector<int16_t> out(db.size());
    for (size_t i = 0; i < db.size(); ++i) out[i] = tenthsOf(db[i]);
    return out;
}

// Return loss: the limit plus the pair's margin and the ripple of reflections beating along the link, which
// only ever lifts the trace above limit + margin.
std::vector<int16_t> returnLoss(const Link& l, double marginDb, Random& rng) {
    const double r = rng.uniform(0.25, 0.55);
    // The reflections that matter sit within a few metres of the measuring end.
    const double delayUs = roundTripUs(rng.uniform(1.5, 6.0));
    Turning phase(delayUs, rng.uniform(0, kTwoPi));
    std::vector<int16_t> out(l.mhz.size());
    for (size_t i = 0; i < l.mhz.size(); ++i) {
        const double f = l.mhz[i];
        const double lift = 20.0 * std::log10((1.0 + r) / std::abs(1.0 + r * phase.at(i, l.mhz)));
        out[i] = tenthsOf(std::min(returnLossDb(l.grade, f) + marginDb + lift, 40.0));
    }
    return out;
}

struct Combination {
    int a, b;
};
std::vector<Combination> orderedCombinations() {
    std::vector<Combination> out;
    for (int a = 1; a <= kPairs; ++a)
        for (int b = 1; b <= kPairs; ++b)
            if (a != b) out.push_back({a, b});
    return out;
}

bool badlyTerminated(const CopperLinkDesign& s, int end, const Combination& c) {
    // Untwisting at the jack couples the split 3-6 pair into the 4-5 pair it straddles.
    return s.fault == CopperFault::badTermination && end == s.faultyEnd &&
           ((c.a == 2 && c.b == 3) || (c.a == 3 && c.b == 2));
}

void addFrequencyPlots(CopperTest& test, const CopperLinkDesign& design, const Link& link, Random& rng) {
    // Most links are built with room to spare; a few are marginal somewhere, within the tester's accuracy.
    const bool marginal = rng.chance(0.05);
    const Category cat = link.cable->category;
    const auto cableNext = amplitudes(link.mhz, cableNextDb, cat);
    const auto connNext = amplitudes(link.mhz, connectorNextDb, cat);
    const auto cableFext = amplitudes(link.mhz, cableAcrFDb, cat);
    const auto connFext = amplitudes(link.mhz, connectorFextDb, cat);
    const bool channel = design.grade.link == LinkClass::channel;
    const double totalM = link.lengthM + link.cordsM;

    std::vector<std::vector<double>> il;
    for (int k = 1; k <= kPairs; ++k) {
        il.push_back(insertionLoss(link, k, rng));
        test.plots.plots.push_back(plot(CopperTestType::il, CableEnd::main, k, k, toTenths(il.back())));
    }
    // The cable couples a pair combination the same way seen from either end.
    std::map<std::pair<int, int>, Coupling> cableNextOf, cableFextOf;
    for (const auto& c : orderedCombinations()) {
        const auto key = std::make_pair(std::min(c.a, c.b), std::max(c.a, c.b));
        if (!cableNextOf.count(key)) cableNextOf[key] = cableCoupling(rng, rng.uniform(1.0, 7.0));
        if (!cableFextOf.count(key)) cableFextOf[key] = cableCoupling(rng, rng.uniform(1.0, 6.0));
    }
    // Far-end crosstalk adds up along the link: a short link couples less.
    const double lengthGainDb = -10.0 * std::log10(std::max(totalM, 2.0) / 100.0);
    for (CableEnd end : {CableEnd::main, CableEnd::remote}) {
        const int e = end == CableEnd::main ? 1 : 2;
        const auto combos = orderedCombinations();
        const size_t worst = rng.below(combos.size());
        for (size_t n = 0; n < combos.size(); ++n) {
            const Combination& c = combos[n];
            double margin =
                n != worst ? rng.uniform(2.5, 9.0) : (marginal ? rng.uniform(-0.3, 1.0) : rng.uniform(1.0, 4.0));
            if (badlyTerminated(design, e, c)) margin = -rng.uniform(9.0, 13.0);
            std::vector<Coupling> near{connection(rng, margin, 0.0)};
            if (channel) near.push_back(connection(rng, rng.uniform(1.0, 8.0), roundTripUs(link.cordsM / 2.0)));
            const auto key = std::make_pair(std::min(c.a, c.b), std::max(c.a, c.b));
            test.plots.plots.push_back(
                plot(CopperTestType::next, end, c.a, c.b,
                     crosstalkTrace(link.mhz, cableNext, connNext, cableNextOf[key], near, nullptr)));
        }
        for (const auto& c : combos) {
            if (c.a > c.b) continue;  // the other direction comes from the far end's trace
            const auto key = std::make_pair(c.a, c.b);
            Coupling cable = cableFextOf[key];
            cable.marginDb += lengthGainDb;
            // Far-end crosstalk travels with the signal: couplings along the link arrive nearly together.
            std::vector<Coupling> along;
            for (int k = 0; k < link.connections; ++k)
                along.push_back(connection(rng, rng.uniform(2.0, 9.0), rng.uniform(0.0, 0.004)));
            // FEXT as received: the pair's equal-level crosstalk plus the loss of the receiving pair.
            const auto& receive = il[static_cast<size_t>(c.b - 1)];
            test.plots.plots.push_back(plot(CopperTestType::fext, end, c.a, c.b,
                                            crosstalkTrace(link.mhz, cableFext, connFext, cable, along, &receive)));
        }
        const int worstPair = static_cast<int>(rng.below(kPairs)) + 1;
        for (int k = 1; k <= kPairs; ++k) {
            const double margin =
                k != worstPair ? rng.uniform(3.0, 8.0) : (marginal ? rng.uniform(0.4, 1.8) : rng.uniform(2.0, 6.0));
            test.plots.plots.push_back(plot(CopperTestType::rl, end, k, k, returnLoss(link, margin, rng)));
        }
    }
}

int pairOfPin(int pin) {
    if (pin <= 2) return 1;
    if (pin == 3 || pin == 6) return 2;
    return pin <= 5 ? 3 : 4;
}

// Delays and lengths of both ends, then (unless the autotest stopped at the wiremap) the pairs' loop
// resistance, their conductors' unbalance, the parallel resistance and the pair-to-pair unbalance.
void addScalars(CopperTestBody& b, const CopperLinkDesign& design, const WiremapDesign& map, const Link& link,
                Random& rng) {
    const double settingsNvp = link.cable->nvp;
    const bool stopped = design.fault == CopperFault::wiremap;
    const int openPair = map.fault == WiremapFault::open && map.pin <= 8 ? pairOfPin(map.pin) : 0;
    const int shortPair = map.fault == WiremapFault::shortCircuit ? pairOfPin(map.pin) : 0;
    double delays[kPairs + 1] = {};
    double fastest = 1e9;
    for (int k = 1; k <= kPairs; ++k) {
        const double metres = (link.lengthM + link.cordsM) * (1.0 + link.cable->lay[static_cast<size_t>(k - 1)]);
        delays[k] = std::round(metres / (link.nvp * kLightMPerNs));
        fastest = std::min(fastest, delays[k]);
    }
    for (CableEnd end : {CableEnd::main, CableEnd::remote}) {
        for (int k = 1; k <= kPairs; ++k) {
            double delay = delays[k];
            ScalarQualifier q = ScalarQualifier::normal;
            if (k == openPair || k == shortPair) {
                // The time-domain reflection of the fault is all the tester sees of that pair.
                const double atM = end == CableEnd::main ? map.faultAtM : link.lengthM - map.faultAtM;
                delay = std::round(atM / (link.nvp * kLightMPerNs));
                q = k == openPair ? ScalarQualifier::open : ScalarQualifier::endNotFound;
            }
            CopperScalar d = scalar(CopperTestType::delay, k, delay, ScaledInt::ones, end);
            CopperScalar len =
                scalar(CopperTestType::length, k, delay * kLightMPerNs * settingsNvp, ScaledInt::tenths, end);
            len.qualifier = q;  // the delay of the reflection is measured all the same
            b.scalars.push_back(d);
            b.scalars.push_back(len);
        }
    }
    if (stopped) return;

    const double heat = 1.0 + 0.00393 * (link.temperature - 20.0);
    const int loosePair =
        design.fault == CopperFault::resistanceUnbalance ? 1 + static_cast<int>(rng.below(kPairs)) : 0;
    double parallel[kPairs + 1] = {};
    for (int k = 1; k <= kPairs; ++k) {
        const double lay = 1.0 + link.cable->lay[static_cast<size_t>(k - 1)];
        double conductor[2];
        for (double& r : conductor) {
            r = link.cable->ohmsPer100m * heat * lay * (link.lengthM + 1.5 * link.cordsM) / 100.0 *
                    (1.0 + rng.normal(0.0, 0.003)) +
                link.connections * rng.uniform(0.004, 0.02);
        }
        // A loose insulation-displacement contact on one conductor.
        if (k == loosePair) conductor[0] += rng.uniform(0.6, 1.8);
        const double loop = conductor[0] + conductor[1];
        parallel[k] = conductor[0] * conductor[1] / loop;
        b.scalars.push_back(scalar(CopperTestType::resist, k, loop, ScaledInt::tenths));
        b.scalars.push_back(scalar(CopperTestType::resistParallel, k, parallel[k], ScaledInt::hundredths));
        b.scalars.push_back(
            scalar(CopperTestType::unbalance, k, std::fabs(conductor[0] - conductor[1]), ScaledInt::hundredths));
        b.scalars.push_back(scalar(CopperTestType::skew, k, delays[k] - fastest, ScaledInt::ones));
    }
    // The two pairs of each power-over-Ethernet path.
    b.scalars.push_back(scalar(CopperTestType::p2pUnbalance, 1, std::fabs(parallel[1] - parallel[2]),
                               ScaledInt::hundredths, CableEnd::main, 2));
    b.scalars.push_back(scalar(CopperTestType::p2pUnbalance, 3, std::fabs(parallel[3] - parallel[4]),
                               ScaledInt::hundredths, CableEnd::main, 4));
}

FaultInfoCableElement element(FaultInfoCableElement::Type type, int id, double lengthM, double atM) {
    FaultInfoCableElement e;
    e.type = type;
    e.id = static_cast<uint8_t>(id);
    e.length = static_cast<int32_t>(std::lround(lengthM * 10.0));
    e.location = static_cast<int32_t>(std::lround(atM * 10.0));
    return e;
}

FaultInfoEvent faultEvent(uint8_t type, bool entireLink, double atM, double totalM) {
    FaultInfoEvent e;
    e.type = type;
    e.priority = FaultInfoEvent::Priority::primary;
    e.entireLink = entireLink;
    e.location = static_cast<int32_t>(std::lround(atM * 10.0));
    e.startLocation = entireLink ? 0 : e.location;
    e.endLocation = entireLink ? static_cast<int32_t>(std::lround(totalM * 10.0)) : e.location;
    return e;
}

// The tester's analysis of the link: its connections and cable segments, and the cause of a failure.
FaultInfoResult faultInfo(const CopperLinkDesign& design, const WiremapDesign& map, const Link& link) {
    using E = FaultInfoCableElement::Type;
    FaultInfoResult r;
    const double half = link.cordsM / 2.0;
    const double total = link.lengthM + link.cordsM;
    int id = 1;
    if (half > 0) r.cableElements.push_back(element(E::segment, id++, half, 0.0));
    r.cableElements.push_back(element(E::connector, id++, 0.0, half));
    r.cableElements.push_back(element(E::segment, id++, link.lengthM, half));
    r.cableElements.push_back(element(E::connector, id++, 0.0, half + link.lengthM));
    if (half > 0) r.cableElements.push_back(element(E::segment, id++, half, half + link.lengthM));
    r.totalLength = static_cast<int32_t>(std::lround(total * 10.0));
    r.numConnectors = static_cast<uint8_t>(link.connections);
    switch (design.fault) {
        case CopperFault::badTermination:
            r.faults.push_back(faultEvent(8, false, design.faultyEnd == 1 ? half : half + link.lengthM, total));
            break;
        case CopperFault::tooLong: r.faults.push_back(faultEvent(1, true, total, total)); break;
        case CopperFault::resistanceUnbalance: r.faults.push_back(faultEvent(11, false, half, total)); break;
        case CopperFault::wiremap: r.faults.push_back(faultEvent(14, false, map.faultAtM, total)); break;
        case CopperFault::none: break;
    }
    return r;
}

WiremapDesign wiremapDesign(const CopperLinkDesign& design, Random& rng) {
    WiremapDesign m;
    m.shielded = design.shielded;
    m.fault = design.fault == CopperFault::wiremap ? design.wiremapFault : WiremapFault::none;
    m.faultAtM = std::round(design.lengthM * rng.uniform(0.15, 0.9) * 10.0) / 10.0;
    m.pin = 1 + static_cast<int>(rng.below(8));
    if (m.fault == WiremapFault::shortCircuit) {
        // The two wires of one pair, crushed together.
        static const int kPartner[9] = {0, 2, 1, 6, 5, 4, 3, 8, 7};
        m.pin2 = kPartner[m.pin];
        if (m.pin2 < m.pin) std::swap(m.pin, m.pin2);
    }
    m.splitFromMainM = std::round(design.lengthM * 10.0) / 10.0;
    m.splitFromRemoteM = m.splitFromMainM;
    return m;
}

EquipmentInformation unit(const Tester* t, const Grade& g) {
    if (t == nullptr) return EquipmentInformation();
    const bool channel = g.link == LinkClass::channel;
    int32_t adapter = 0;
    switch (g.category) {
        case Category::cat5e: adapter = channel ? 6 : 3; break;
        case Category::cat6: adapter = channel ? 5 : 2; break;
        case Category::cat6A: adapter = channel ? 4 : 1; break;
    }
    return equipment(*t, adapter);
}

// The units run a few degrees above the air around the link.
void fillRun(CopperTestBody& b, const TestRun& run, double ambient, Random& rng) {
    b.copperTestType = CopperTestType::autoTest;
    b.timestamp = run.when;
    b.retest = run.retest;
    b.operatorName = run.operatorName;
    b.mainTemp = static_cast<float>(std::round((ambient + rng.uniform(3.0, 6.0)) * 4.0) / 4.0);
    b.remoteTemp = static_cast<float>(std::round((ambient + rng.uniform(3.0, 6.0)) * 4.0) / 4.0);
}

}  // namespace

const char* toString(CopperFault f) {
    switch (f) {
        case CopperFault::none: return "none";
        case CopperFault::badTermination: return "bad termination";
        case CopperFault::tooLong: return "too long";
        case CopperFault::resistanceUnbalance: return "resistance unbalance";
        case CopperFault::wiremap: return "wiremap";
    }
    return "";
}

CopperTestPtr measureCopperLink(const CopperLinkDesign& design, const TestRun& run) {
    Random rng(design.seed);
    const bool channel = design.grade.link == LinkClass::channel;
    Link link;
    link.cable = &cableType(design.grade.category, design.shielded);
    link.grade = design.grade;
    link.lengthM = design.lengthM;
    link.cordsM = channel ? design.cordsM : 0.0;
    link.connections = channel ? 4 : 2;
    link.temperature = rng.uniform(19.0, 27.0);
    link.nvp = link.cable->nvp * (1.0 + rng.normal(0.0, 0.004));
    link.lossShare = link.cable->lossShare * (1.0 + rng.normal(0.0, 0.01));
    link.mhz = gridMHz(static_cast<int>(maxFrequencyMHz(design.grade.category) * 1000.0));

    auto test = std::make_shared<CopperTest>();
    CopperTestBody& b = test->body;
    fillRun(b, run, link.temperature, rng);
    b.settings.nvp = ScaledInt(static_cast<float>(link.cable->nvp * 100.0), ScaledInt::tenths);
    b.settings.cableTypeName = link.cable->name;
    b.settings.outletConfiguration = wiringName(design.wiring);
    b.settings.testLimitName = limitName(design.grade);
    b.settings.shieldTest = design.shielded;
    b.settings.storePlotData = CopperSettings::StorePlotData::standard;
    b.mainEquipInfo = unit(run.main, design.grade);
    b.remoteEquipInfo = unit(run.remote, design.grade);
    b.cable = copperCable(*link.cable);
    b.limit = limitOf(design.grade);
    b.outletConfig = outletConfig(design.wiring);
    const WiremapDesign map = wiremapDesign(design, rng);
    b.wiremap = wiremap(map);
    Random curves = rng.fork(1);
    if (design.fault != CopperFault::wiremap) addFrequencyPlots(*test, design, link, curves);
    Random scalars = rng.fork(2);
    addScalars(b, design, map, link, scalars);
    b.faultInfo = faultInfo(design, map, link);
    test->completeRead();
    test->recertify(b.settings.nvp.toFloat());
    return test;
}

// An RG6 copper braid with its foil has about a third of the centre conductor's DC resistance.
constexpr double kBraidShare = 0.33;

CopperTestPtr measureCoaxLink(double lengthM, uint64_t seed, const TestRun& run) {
    static const auto limit = std::make_shared<CopperLimit>(coaxLimit());
    Random rng(seed);
    const CableType& cable = coaxCable();
    const double ambient = rng.uniform(15.0, 30.0);
    auto test = std::make_shared<CopperTest>();
    CopperTestBody& b = test->body;
    fillRun(b, run, ambient, rng);
    b.settings.nvp = ScaledInt(static_cast<float>(cable.nvp * 100.0), ScaledInt::tenths);
    b.settings.cableTypeName = cable.name;
    b.settings.outletConfiguration = "Coax";
    b.settings.testLimitName = limit->name;
    b.settings.storePlotData = CopperSettings::StorePlotData::standard;
    if (run.main) b.mainEquipInfo = equipment(*run.main, 30);
    if (run.remote) b.remoteEquipInfo = equipment(*run.remote, 30);
    b.cable = copperCable(cable);
    b.limit = limit;
    b.outletConfig = coaxOutlet();
    b.wiremap.status = Status::notSet;  // a coax link has no eight-pin map

    const double share = cable.lossShare * (1.0 + rng.normal(0.0, 0.015));
    std::vector<int16_t> il;
    for (double f : gridMHz(limit->maxFreqKHz)) {
        // Two F connectors add a little; the cable's loss grows with the square root of frequency.
        il.push_back(tenthsOf(lengthM / 100.0 * share * rg6InsertionLossDb(f) + 0.02 * std::sqrt(f / 100.0)));
    }
    const int pair = static_cast<int>(kCoaxPair);
    test->plots.plots.push_back(plot(CopperTestType::il, CableEnd::main, pair, pair, std::move(il)));
    const double nvp = cable.nvp * (1.0 + rng.normal(0.0, 0.003));
    const double delay = std::round(lengthM / (nvp * kLightMPerNs));
    b.scalars.push_back(scalar(CopperTestType::delay, pair, delay, ScaledInt::ones));
    b.scalars.push_back(scalar(CopperTestType::length, pair, delay * kLightMPerNs * cable.nvp, ScaledInt::tenths));
    // The loop runs out on the centre and back on the braid; the two F connectors add their contacts.
    const double loopPer100m = cable.ohmsPer100m * (1.0 + kBraidShare);
    const double loop = loopPer100m * lengthM / 100.0 * (1.0 + 0.00393 * (ambient - 20.0)) + rng.uniform(0.02, 0.08);
    b.scalars.push_back(scalar(CopperTestType::resist, pair, loop, ScaledInt::hundredths));
    b.faultInfo.totalLength = static_cast<int32_t>(std::lround(lengthM * 10.0));
    b.faultInfo.numConnectors = 2;
    test->completeRead();
    test->recertify(b.settings.nvp.toFloat());
    return test;
}

}  // namespace Kestrix::LinkGen
