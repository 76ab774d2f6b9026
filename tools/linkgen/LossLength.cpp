#include "LossLength.h"

#include <algorithm>
#include <cmath>

#include "FiberLimits.h"
#include "Random.h"

namespace Kestrix::LinkGen {

namespace {

constexpr double kLightMPerNs = 0.299792458;

double round2(double v) { return std::round(v * 100.0) / 100.0; }

// A loss test set's source level at a wavelength: a VCSEL at 850 nm, an LED at 1300 nm, lasers for
// single-mode.
double sourceDbm(uint16_t wl, Random& rng) {
    switch (wl) {
        case 850: return rng.uniform(-20.6, -19.8);
        case 1300: return rng.uniform(-21.4, -20.6);
        case 1310: return rng.uniform(-7.6, -7.0);
        default: return rng.uniform(-7.9, -7.3);
    }
}

LightSourceType sourceType(uint16_t wl) {
    if (wl == 850) return LightSourceType::vcsel;
    return wl == 1300 ? LightSourceType::led : LightSourceType::laser;
}

FiberPower power(double dbm) {
    return FiberPower(static_cast<float>(dbm), ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
}

void fillSummary(FiberTest& t, CableEnd end, const TestRun& run) {
    t.summary.timestamp = run.when;
    t.summary.cableEnd = end;
    t.summary.operatorName = run.operatorName;
    t.summary.end1Name = run.end1Name;
    t.summary.end2Name = run.end2Name;
}

}  // namespace

FiberLossLengthTest measureLossLength(const FiberLink& link, const TestRun& run, uint64_t seed) {
    Random rng(seed);
    const FiberType& type = fiberType(link.kind());
    FiberLossLengthTest t;
    fillSummary(t, CableEnd::end1, run);
    if (run.main) t.equipmentInfo = equipment(*run.main);
    if (run.remote) t.remoteEquipInfo = equipment(*run.remote);
    t.fiber = fiberRecord(link.kind());
    t.limit = lossLengthLimit(type.mode);
    t.settings.fiberName = type.name;
    t.settings.limitName = t.limit.name;
    t.settings.remoteEndSetup = RemoteEndSetup::vexlinkDual;
    t.settings.referenceMethod = FiberLLRefMethod::oneJumper;
    t.settings.connectorType = FiberConnectorType::LC;
    t.settings.biDirectionalEnabled = true;
    t.settings.numAdapters = static_cast<uint32_t>(link.matedPairs());
    t.settings.numSplices = static_cast<uint32_t>(link.splices());
    t.patchCordLength = {ScaledInt(2.0f, ScaledInt::tenths), ScaledInt(2.0f, ScaledInt::tenths)};
    t.lastRefTime = run.when - static_cast<int64_t>(rng.uniform(0.5, 5.0) * 3600.0);
    t.celsius = Celsius(static_cast<float>(std::round(rng.uniform(20.0, 30.0) * 4.0) / 4.0));

    // The length from the time of flight, to the tenth of a metre.
    const double measuredM = std::round((link.lengthM() + rng.normal(0.0, 0.15)) * 10.0) / 10.0;
    t.length = ScaledInt(static_cast<float>(measuredM), ScaledInt::tenths);
    t.nsPropTime =
        static_cast<float>(link.lengthM() * indexOfRefraction(link.kind(), type.wavelengths[0]) / kLightMPerNs);

    bool failed = false;
    int32_t worstLoss = INT32_MIN, leastMargin = INT32_MAX;
    for (CableEnd dir : {CableEnd::end1, CableEnd::end2}) {
        for (uint16_t wl : type.wavelengths) {
            FiberLossLengthTestPerDirectionWl e;
            e.direction = dir;
            e.wavelength = wl;
            e.lightSourceType = sourceType(wl);
            // A reciprocal link reads the same both ways, up to the set's repeatability.
            const double loss = link.lossDb(wl) + rng.normal(0.0, 0.015);
            const double ref = round2(sourceDbm(wl, rng));
            e.refPower = power(ref);
            e.power = power(round2(ref - loss));
            const ScaledInt shown = e.dB();
            const ScaledInt budget(static_cast<float>(lossBudgetDb(t.limit, t.fiber.category, wl, link.lengthM(),
                                                                   link.matedPairs(), link.splices())),
                                   ScaledInt::hundredths);
            const ScaledInt margin = budget - shown;
            const Status s = margin.value < 0 ? Status::fail : Status::pass;
            failed = failed || s == Status::fail;
            e.limitResults.results.emplace_back(FiberLimitValueType::maxOverallLoss, budget,
                                                DisplayMeas(margin, DisplayType::normal), s);
            e._minRange = wl < 1310 ? -60.0f : -70.0f;
            e._maxRange = wl < 1310 ? 5.0f : 10.0f;
            worstLoss = std::max(worstLoss, shown.value);
            leastMargin = std::min(leastMargin, margin.value);
            t.testPerDirectionWlVec.push_back(e);
        }
    }
    const auto values = t.limit.getFiberLimitValues(t.fiber.category, type.wavelengths[0]);
    if (values && values->hasValue(FiberLimitValueType::maxLength)) {
        const ScaledInt max = values->getValue(FiberLimitValueType::maxLength);
        const ScaledInt margin = max - t.length;
        const Status s = margin.value < 0 ? Status::fail : Status::pass;
        failed = failed || s == Status::fail;
        t.limitResults.results.emplace_back(FiberLimitValueType::maxLength, max,
                                            DisplayMeas(margin, DisplayType::normal), s);
    }
    t.overallLossMeas = DisplayMeas(ScaledInt::raw(worstLoss, ScaledInt::hundredths), DisplayType::normal);
    t.headroom = DisplayMeas(ScaledInt::raw(leastMargin, ScaledInt::hundredths), DisplayType::normal);
    t.summary.status = failed ? Status::fail : Status::pass;
    return t;
}

FiberPowerMeterTest measurePower(const FiberLink& link, CableEnd end, const TestRun& run, uint64_t seed) {
    Random rng(seed);
    FiberPowerMeterTest t(end == CableEnd::end2 ? FiberTestType::powerMeterEnd2 : FiberTestType::powerMeterEnd1);
    fillSummary(t, end, run);
    t.summary.status = Status::show;
    if (run.main) t.equipmentInfo = equipment(*run.main);
    t.gain = 3;
    t.celsius = Celsius(static_cast<float>(std::round(rng.uniform(20.0, 30.0) * 4.0) / 4.0));
    for (uint16_t wl : fiberType(link.kind()).wavelengths) {
        FiberPowerMeterPerWl p;
        p.wavelength = wl;
        const double ref = round2(sourceDbm(wl, rng));
        const double received = ref - link.lossDb(wl) + rng.normal(0.0, 0.01);
        p.refPower = power(ref);
        p.power = power(round2(received));
        // The reading wanders by a few hundredths while it is held.
        p.minPower = power(round2(received - rng.uniform(0.01, 0.05)));
        p.maxPower = power(round2(received + rng.uniform(0.01, 0.05)));
        p._minRange = -70.0f;
        p._maxRange = 10.0f;
        t.testPerWlVec.push_back(p);
    }
    return t;
}

}  // namespace Kestrix::LinkGen
