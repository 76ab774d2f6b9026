#include "OtdrTests.h"

#include <algorithm>
#include <cmath>

#include "FiberLimits.h"
#include "OtdrTrace.h"
#include "ResultFiles.h"
#include "Random.h"

namespace Kestrix::LinkGen {

namespace {

constexpr double kLightMPerNs = 0.299792458;
namespace A = OtdrAnEventType;

// A connector left open in air (physical contact polish): about 4 % comes back.
constexpr double kOpenEndReflectanceDb = -14.5;

// One row of the table to come: where it is on the path and what it is.
struct PathRow {
    double atM = 0.0;
    uint32_t flags = 0;
    const FiberPoint* point = nullptr;  // null for the far end of the path
};

struct Path {
    FiberLink link;
    double launchM = 0.0;
    double tailM = 0.0;
    std::vector<PathRow> rows;  // the last one is the end of the path
    double endM() const { return rows.back().atM; }
};

Path pathOf(const FiberLink& link, double launchM, double tailM) {
    Path p{link, launchM, tailM, {}};
    const auto& points = p.link.points();
    for (size_t k = 0; k < points.size(); ++k) {
        const FiberPoint& pt = points[k];
        const double at = launchM + pt.atM;
        const bool first = k == 0, last = k + 1 == points.size();
        // Without a launch cord the first connector is the OTDR's own port: inside its dead zone.
        if (first && launchM <= 0.0) continue;
        if (last && tailM <= 0.0) break;
        uint32_t flags = A::connector;
        if (pt.kind == FiberPoint::Kind::splice) flags = pt.lossDb + pt.mismatchDb < 0.0 ? A::gainer : A::splice;
        if (pt.kind == FiberPoint::Kind::bend) flags = A::bend;
        if (first) flags |= A::launch;
        if (last) flags |= A::tail;
        p.rows.push_back({at, flags, &pt});
    }
    p.rows.push_back({launchM + link.lengthM() + tailM, A::end, nullptr});
    return p;
}

// What the OTDR reads as a point's loss from this end: a splice between unlike fibers looks worse one way
// and better the other.
double apparentLoss(const FiberPoint& p, uint16_t wl) {
    return p.kind == FiberPoint::Kind::splice ? p.lossDb + p.mismatchDb : FiberLink::lossAt(p, wl);
}

bool reflective(const FiberPoint& p) { return p.kind == FiberPoint::Kind::connector; }

ToleranceMeas tol(double v, ScaledInt::ScaledTo scale, double plus, double minus) {
    ToleranceMeas m(ScaledInt(static_cast<float>(v), scale), DisplayType::normal, static_cast<float>(plus),
                    static_cast<float>(minus));
    m.deriveDisplayType();
    return m;
}

FiberCheckLimitResult check(FiberLimitValueType type, const ScaledInt& limit, double value, bool atMost) {
    const ScaledInt v(static_cast<float>(value), ScaledInt::hundredths);
    const ScaledInt margin = atMost ? limit - v : v - limit;
    return FiberCheckLimitResult(type, limit, DisplayMeas(margin, DisplayType::normal),
                                 margin.value < 0 ? Status::fail : Status::pass);
}

OtdrShot shotFor(FiberKind fiber, uint16_t wl, double pathM, double pulseNs) {
    OtdrShot s;
    s.wavelength = wl;
    const bool mm = fiber != FiberKind::os2;
    if (pulseNs <= 0.0) pulseNs = mm ? 5.0 : (pathM < 4000.0 ? 30.0 : 100.0);
    s.pulseNs = pulseNs;
    s.spacingM = pulseNs <= 5.0 ? 0.25 : (pulseNs <= 30.0 ? 0.5 : 1.0);
    s.dynamicRangeDb = mm ? 20.0 + 2.0 * std::log10(pulseNs) : 22.0 + 5.0 * std::log10(pulseNs);
    return s;
}

OtdrRange rangeFor(double pathM) {
    for (OtdrRange r : {OtdrRange::m400, OtdrRange::km1, OtdrRange::km2, OtdrRange::km4, OtdrRange::km8,
                        OtdrRange::km10, OtdrRange::km15, OtdrRange::km20, OtdrRange::km30, OtdrRange::km40})
        if (pathM * 1.25 < static_cast<double>(r)) return r;
    return OtdrRange::km60;
}

// Backscatter return of a long fiber, dB, by wavelength.
double backscatterOrlDb(uint16_t wl) {
    switch (wl) {
        case 850: return 21.0;
        case 1300: return 27.5;
        case 1310: return 31.5;
        case 1490: return 32.8;
        case 1550: return 33.5;
        default: return 34.0;
    }
}

FiberOtdrSettings settingsFor(const Path& path, const std::vector<uint16_t>& wls, const std::vector<OtdrShot>& shots,
                              TestType mode, Random& rng) {
    FiberOtdrSettings s;
    const FiberType& type = fiberType(path.link.kind());
    const OtdrRange range = rangeFor(path.endM());
    for (size_t k = 0; k < wls.size(); ++k) {
        s.wavelengthsToTest.insert(wls[k]);
        FiberOtdrSettingsPerWl p;
        p.wavelength = wls[k];
        p.actualOtdrRange = ScaledInt(static_cast<float>(static_cast<int32_t>(range)), ScaledInt::ones);
        p.actualResolution = ScaledInt(static_cast<float>(shots[k].spacingM), ScaledInt::hundredths);
        p.actualOtdrAveragingTime = ScaledInt(5.0f, ScaledInt::tenths);
        p.otdrPulseWidth = static_cast<int64_t>(shots[k].pulseNs);
        p.nominalOtdrPulseWidth = p.otdrPulseWidth;
        p.numberOfAverages = 1 << rng.between(12, 14);
        s.perWl.push_back(p);
    }
    s.fiberTestType = mode;
    s.otdrRange = range;
    s.otdrAveragingTime = OtdrAveragingTime::s5;
    s.lossThresholdAutoOrManual = AutoOrManual::manual;
    s.nominalLossThreshold = ScaledInt(0.03f, ScaledInt::hundredths);
    s.endThresholdAutoOrManual = AutoOrManual::autoMode;
    s.endThreshold = ScaledInt(3.0f, ScaledInt::hundredths);
    s.launchCompensationEnabled = path.launchM > 0.0 && mode != TestType::faultMap;
    s.numConnectors = static_cast<uint32_t>(path.link.matedPairs());
    s.numSplices = static_cast<uint32_t>(path.link.splices());
    s.fiberName = type.name;
    s.fiberLimit = otdrLimit().name;
    s.reflectanceThreshold = -65;
    s.otdrBendDetectionEnabled = type.mode == FiberMode::singlemode && wls.size() > 1;
    s.otdrBendThresholdMap[OtdrBendWavelengths::wl1310_1550] = ScaledInt(0.5f, ScaledInt::hundredths);
    s.otdrBendThresholdMap[OtdrBendWavelengths::wl1310_1625] = ScaledInt(0.6f, ScaledInt::hundredths);
    return s;
}

FiberOtdrTest baseTest(FiberTestType type, CableEnd end, const FiberLink& link, const TestRun& run) {
    FiberOtdrTest t(type);
    t.summary.timestamp = run.when;
    t.summary.cableEnd = end;
    t.summary.operatorName = run.operatorName;
    t.summary.end1Name = run.end1Name;
    t.summary.end2Name = run.end2Name;
    if (run.main) t.equipmentInfo = equipment(*run.main);
    t.fiber = fiberRecord(link.kind());
    t.limit = otdrLimit();
    return t;
}

struct Traces {
    std::vector<uint16_t> wavelengths;
    std::vector<OtdrShot> shots;
    std::vector<Trace> traces;
};

Traces traceAll(const Path& path, std::vector<uint16_t> wls, double pulseNs, Random& rng) {
    Traces out;
    if (wls.empty()) wls = fiberType(path.link.kind()).wavelengths;
    out.wavelengths = wls;
    for (uint16_t wl : wls) {
        const OtdrShot shot = shotFor(path.link.kind(), wl, path.endM(), pulseNs);
        std::vector<TraceEvent> events;
        for (size_t r = 0; r + 1 < path.rows.size(); ++r) {
            const FiberPoint& p = *path.rows[r].point;
            events.push_back({path.rows[r].atM, apparentLoss(p, wl), reflective(p) ? p.reflectanceDb : std::nan("")});
        }
        Random noise = rng.fork(wl);
        out.shots.push_back(shot);
        out.traces.push_back(synthesizeTrace(path.link.kind(), path.link.attenuationDbPerKm(wl), shot, events,
                                             path.endM(), kOpenEndReflectanceDb, noise));
    }
    return out;
}

// The analysis of the traces: one row per event of the path, one event per row and wavelength, each judged
// against the limit.
void analyse(FiberOtdrTest& t, const Path& path, const Traces& tr) {
    const FiberCategory category = t.fiber.category;
    for (size_t r = 0; r < path.rows.size(); ++r) {
        const PathRow& row = path.rows[r];
        const bool end = row.point == nullptr;
        FiberOtdrEventTableRow out;
        const double spacing = tr.shots.front().spacingM;
        const double ir = indexOfRefraction(path.link.kind(), tr.wavelengths.front());
        out.lengthTolMeas = tol(row.atM, ScaledInt::hundredths, spacing + 0.2, spacing + 0.2);
        out.propTime = static_cast<float>(row.atM * ir / kLightMPerNs);
        out.propTimePosTol = out.propTimeNegTol = static_cast<float>(spacing * ir / kLightMPerNs);
        out.eventType = otdrEventType(row.flags);
        Status rowStatus = end ? Status::show : Status::pass;
        for (size_t k = 0; k < tr.wavelengths.size(); ++k) {
            const uint16_t wl = tr.wavelengths[k];
            const Trace& trace = tr.traces[k];
            FiberOtdrEvent e;
            e.wavelength = wl;
            e.rowIndex = static_cast<uint32_t>(r);
            e.eventGrade = 3;
            e.anEventTypeFlags = row.flags;
            e.plotIndex = end ? sampleAt(trace.plot, row.atM) : trace.eventIndex[r];
            e.lengthTolMeas = out.lengthTolMeas;
            e.propTime = static_cast<float>(row.atM * trace.plot.ir / kLightMPerNs);
            e.propTimePosTol = e.propTimeNegTol = out.propTimePosTol;
            e.attnCoefTolMeas =
                end ? ToleranceMeas() : tol(path.link.attenuationDbPerKm(wl), ScaledInt::hundredths, 0.02, 0.02);
            const auto values = t.limit.getFiberLimitValues(category, wl);
            if (end) {
                e.reflectanceTolMeas = tol(kOpenEndReflectanceDb, ScaledInt::hundredths, 0.5, 0.5);
                e.status = Status::show;
                e.bsPrior =
                    static_cast<float>(trace.firstLevelDb - path.link.attenuationDbPerKm(wl) * row.atM / 1000.0);
            } else {
                const FiberPoint& p = *row.point;
                const double loss = apparentLoss(p, wl);
                e.lossTolMeas = tol(loss, ScaledInt::hundredths, 0.02, 0.02);
                if (reflective(p)) e.reflectanceTolMeas = tol(p.reflectanceDb, ScaledInt::hundredths, 0.5, 0.5);
                if (values) {
                    using V = FiberLimitValueType;
                    const V lossType = reflective(p) ? V::maxConnectorLoss : V::maxSpliceLoss;
                    e.limitResults.results.push_back(check(lossType, values->getValue(lossType), loss, true));
                    if (reflective(p))
                        e.limitResults.results.push_back(
                            check(V::maxReflectance, values->getValue(V::maxReflectance), p.reflectanceDb, true));
                }
                e.status = Status::pass;
                for (const auto& c : e.limitResults.results) e.status = worseOf(e.status, c.status);
                e.bsPrior = static_cast<float>(trace.levelBeforeDb[r]);
            }
            const uint32_t guard = static_cast<uint32_t>(tr.shots[k].pulseNs * 0.1 / tr.shots[k].spacingM) + 3;
            e.prevUsableBsPlotIndex = e.plotIndex > guard ? e.plotIndex - guard : 0;
            e.nextUsableBsPlotIndex = e.plotIndex + guard;
            rowStatus = end ? rowStatus : worseOf(rowStatus, e.status);
            t.eventTable.events.push_back(e);
        }
        out.rowStatus = rowStatus;
        t.eventTable.rows.push_back(out);
    }
}

void overall(FiberOtdrTest& t, const Path& path, const Traces& tr, bool measuredLength, Random& rng) {
    FiberOtdrOverallResults& o = t.overallResults;
    Status status = Status::pass;
    double leastMargin = 1e9;
    for (const auto& e : t.eventTable.events) {
        if (e.status == Status::fail || e.status == Status::pass) status = worseOf(status, e.status);
        for (const auto& c : e.limitResults.results) leastMargin = std::min(leastMargin, c.margin.value.toDouble());
    }
    o.overallStatus = status;
    const double spacing = tr.shots.front().spacingM;
    if (measuredLength) o.lengthTolMeas = tol(path.link.lengthM(), ScaledInt::tenths, spacing + 0.3, spacing + 0.3);
    o.lengthStatus = Status::show;
    o.overallLossStatus = Status::show;
    o.connQuality = static_cast<int8_t>(path.link.points().front().dirty ? rng.between(8, 20) : rng.between(62, 95));
    o.celsius = static_cast<float>(std::round(rng.uniform(19.0, 29.0) * 4.0) / 4.0);
    o.launchCompTimestamp = t.summary.timestamp - rng.between(1800, 7200);
    o.launchCompModeUsed = t.settings.launchCompensationEnabled ? LaunchCompMode::measured : LaunchCompMode::dontKnow;
    std::vector<FiberOtdrOverallResultsPerWl> per;
    double worst = 0.0;
    for (uint16_t wl : tr.wavelengths) {
        FiberOtdrOverallResultsPerWl w;
        w.wavelength = wl;
        w.actualWavelength = static_cast<float>(wl + rng.uniform(-4.0, 4.0));
        // Between the launch and tail markers: the fiber and every event on it, its end connectors included.
        double loss = path.link.attenuationDbPerKm(wl) * path.link.lengthM() / 1000.0;
        double reflected = 0.0, passed = 0.0;
        for (const auto& row : path.rows) {
            if (row.point == nullptr) continue;
            const double l = apparentLoss(*row.point, wl);
            loss += l;
            if (reflective(*row.point)) reflected += std::pow(10.0, (row.point->reflectanceDb - 2.0 * passed) / 10.0);
            passed += l;
        }
        const double fade =
            1.0 - std::pow(10.0, -2.0 * path.link.attenuationDbPerKm(wl) * path.link.lengthM() / 10000.0);
        reflected += std::pow(10.0, -backscatterOrlDb(wl) / 10.0) * fade;
        w.overallLossTolMeas = tol(loss, ScaledInt::hundredths, 0.05, 0.05);
        w.overallOrlTolMeas = tol(-10.0 * std::log10(reflected), ScaledInt::hundredths, 0.5, 0.5);
        worst = std::max(worst, loss);
        per.push_back(w);
    }
    o.setPerWls(per);
    o.overallLossMeas = DisplayMeas(ScaledInt(static_cast<float>(worst), ScaledInt::hundredths), DisplayType::normal);
    o.headroom = leastMargin < 1e8 ? DisplayMeas(ScaledInt(static_cast<float>(leastMargin), ScaledInt::hundredths),
                                                 DisplayType::normal)
                                   : DisplayMeas(ScaledInt::nan(ScaledInt::hundredths), DisplayType::notAvailable);
    t.summary.status = status;
}

}  // namespace

FiberOtdrTest measureOtdr(const FiberLink& link, CableEnd end, const OtdrSetup& setup, const TestRun& run,
                          uint64_t seed) {
    Random rng(seed);
    const bool two = end == CableEnd::end2;
    const Path path = pathOf(two ? link.reversed() : link, setup.launchM, setup.tailM);
    FiberOtdrTest t = baseTest(two ? FiberTestType::otdrEnd2 : FiberTestType::otdrEnd1, end, link, run);
    const Traces tr = traceAll(path, setup.wavelengths, setup.pulseNs, rng);
    t.settings = settingsFor(path, tr.wavelengths, tr.shots, TestType::autoOtdr, rng);
    analyse(t, path, tr);
    overall(t, path, tr, true, rng);
    for (const auto& trace : tr.traces) t.plots.plots.push_back(trace.plot);
    // The traces' analysis window: from the launch connector to the tail connector.
    for (size_t k = 0; k < tr.traces.size(); ++k) {
        FiberOtdrPlot& p = t.plots.plots[k];
        p.futLeftIndex = sampleAt(p, setup.launchM);
        p.futRightIndex = sampleAt(p, setup.launchM + link.lengthM());
    }
    return t;
}

FiberOtdrTest measureFaultMap(const FiberLink& link, const TestRun& run, uint64_t seed) {
    Random rng(seed);
    const Path path = pathOf(link, 0.0, 0.0);
    FiberOtdrTest t = baseTest(FiberTestType::faultMap, CableEnd::end1, link, run);
    // Fault maps chase short links with the shortest pulse.
    const Traces tr = traceAll(path, {fiberType(link.kind()).wavelengths.front()}, 3.0, rng);
    t.settings = settingsFor(path, tr.wavelengths, tr.shots, TestType::faultMap, rng);
    analyse(t, path, tr);
    overall(t, path, tr, true, rng);
    for (const auto& trace : tr.traces) t.plots.plots.push_back(trace.plot);
    for (auto& p : t.plots.plots) p.futRightIndex = sampleAt(p, link.lengthM());
    return t;
}

FiberOtdrTest measureRealTimeTrace(const FiberLink& link, const TestRun& run, uint64_t seed) {
    Random rng(seed);
    const Path path = pathOf(link, 0.0, 0.0);
    FiberOtdrTest t = baseTest(FiberTestType::realTimeTraceEnd1, CableEnd::end1, link, run);
    const Traces tr = traceAll(path, {fiberType(link.kind()).wavelengths.front()}, 0.0, rng);
    t.settings = settingsFor(path, tr.wavelengths, tr.shots, TestType::realTimeTrace, rng);
    t.summary.status = Status::show;
    t.overallResults.overallStatus = Status::show;
    for (const auto& trace : tr.traces) t.plots.plots.push_back(trace.plot);
    return t;
}

}  // namespace Kestrix::LinkGen
