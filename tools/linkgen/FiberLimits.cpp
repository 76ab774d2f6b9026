// Loss budgets of ANSI/TIA-568.3-D: cabled multimode fiber 3.0 dB/km at 850 nm and 1.0 dB/km at 1300 nm,
// inside-plant single-mode 1.0 dB/km at 1310 and 1550 nm; 0.75 dB per mated connector pair, 0.3 dB per
// splice (the same method as the FOA loss budget guide). End-face zones and rules after IEC 61300-3-35
// Ed. 2: core, cladding, adhesive and contact zones by diameter, no defect or scratch in the core.
#include "FiberLimits.h"

namespace Kestrix::LinkGen {

namespace {

using V = FiberLimitValueType;

DatabasePackageManifestSummary factory() {
    DatabasePackageManifestSummary s;
    s.customerVersion.major = 3;
    s.customerVersion.minor = 12;
    s.releaseType = 1;
    s.build = 417;
    s.type = 2;
    s.minReqFirmwareVersion = "2.4.0";
    return s;
}

ScaledInt hundredths(double v) { return ScaledInt(static_cast<float>(v), ScaledInt::hundredths); }

FiberImageLimitValues rule(FiberImageZone zone, FiberImageFeatureType type, int32_t bound, int32_t allowed,
                           uint8_t comparison = 0) {
    FiberImageLimitValues r;
    r.zone = zone;
    r.type = type;
    r.maxFeatureSize = bound;
    r.allowedFeatures = allowed;
    r.comparison = comparison;
    return r;
}

}  // namespace

FiberLimit lossLengthLimit(FiberMode mode) {
    const bool mm = mode == FiberMode::multimode;
    FiberLimit l(FiberLimitType::lossLength,
                 mm ? "TIA-568.3-D-1 Multimode (STD)" : "TIA-568.3-D-1 Singlemode ISP (STD)", false, false, true, false,
                 false, true, false, false, false, factory());
    for (uint16_t wl : mm ? std::vector<uint16_t>{850, 1300} : std::vector<uint16_t>{1310, 1550}) {
        FiberLimitValues v(wl);
        if (mm) {
            v.supportedCategories = {FiberCategory::OM1, FiberCategory::OM2, FiberCategory::OM3, FiberCategory::OM4,
                                     FiberCategory::OM5};
        } else {
            v.supportedCategories = {FiberCategory::OS1, FiberCategory::OS2};
        }
        v.values[V::maxLength] = ScaledInt(mm ? 2000.0f : 10000.0f, ScaledInt::tenths);
        v.values[V::maxConnectorLoss] = hundredths(0.75);
        v.values[V::maxSpliceLoss] = hundredths(0.3);
        v.values[V::maxOverallAttenCoef] = hundredths(mm ? (wl == 850 ? 3.0 : 1.0) : 1.0);
        l.valuesList.push_back(v);
    }
    l.supportedPorts = {mm ? FiberPort::MM : FiberPort::SM};
    return l;
}

double lossBudgetDb(const FiberLimit& limit, FiberCategory category, uint16_t wl, double lengthM, int matedPairs,
                    int splices) {
    const auto v = limit.getFiberLimitValues(category, wl);
    if (!v) return 0.0;
    return v->getValue(V::maxOverallAttenCoef).toDouble() * lengthM / 1000.0 +
           matedPairs * v->getValue(V::maxConnectorLoss).toDouble() +
           splices * v->getValue(V::maxSpliceLoss).toDouble();
}

FiberLimit otdrLimit() {
    FiberLimit l(FiberLimitType::otdr, "General Fiber RL = 35 dB", false, false, false, false, false, false, false,
                 false, false, factory());
    for (uint16_t wl : {850, 1300, 1310, 1490, 1550, 1625}) {
        FiberLimitValues v(wl);
        if (wl < 1310) {
            v.supportedCategories = {FiberCategory::OM1, FiberCategory::OM2, FiberCategory::OM3, FiberCategory::OM4,
                                     FiberCategory::OM5};
        } else {
            v.supportedCategories = {FiberCategory::OS1, FiberCategory::OS2};
        }
        v.values[V::maxConnectorLoss] = hundredths(0.75);
        v.values[V::maxSpliceLoss] = hundredths(0.3);
        v.values[V::maxReflectance] = hundredths(-35.0);
        l.valuesList.push_back(v);
    }
    l.supportedPorts = {FiberPort::SM, FiberPort::MM};
    return l;
}

FiberLimit imageLimit(FiberMode mode) {
    const bool mm = mode == FiberMode::multimode;
    FiberLimit l(FiberLimitType::image, mm ? "IEC 61300-3-35 ED.2 MM" : "IEC 61300-3-35 ED.2 SM RL>=45dB", false, false,
                 false, false, false, false, false, true, false, factory());
    using Z = FiberImageZone;
    using F = FiberImageFeatureType;
    // Sizes in micrometres; a negative bound takes every size.
    l.addImageLimitValue(rule(Z::core, F::glob, -1, 0));
    l.addImageLimitValue(rule(Z::core, F::scratch, -1, 0));
    l.addImageLimitValue(rule(Z::cladding, F::glob, 2, 99, 1));
    l.addImageLimitValue(rule(Z::cladding, F::glob, 5, 5));
    l.addImageLimitValue(rule(Z::cladding, F::glob, -1, 0));
    l.addImageLimitValue(rule(Z::cladding, F::scratch, 3, 99));
    l.addImageLimitValue(rule(Z::cladding, F::scratch, -1, 0));
    l.addImageLimitValue(rule(Z::contact, F::glob, 10, 99));
    l.addImageLimitValue(rule(Z::contact, F::glob, -1, 0));
    l.imageZoneDist[Z::core] = mm ? 65 : 25;
    l.imageZoneDist[Z::cladding] = 115;
    l.imageZoneDist[Z::adhesive] = 135;
    l.imageZoneDist[Z::contact] = 250;
    l.supportedPorts = {mm ? FiberPort::MM : FiberPort::SM};
    return l;
}

}  // namespace Kestrix::LinkGen
