// Typical values: fiber attenuation multimode 2.3-3.0 dB/km at 850 nm and 0.6-1.0 at 1300 nm, single-mode
// 0.32-0.36 dB/km at 1310 nm and 0.18-0.22 at 1550 nm (the Fiber Optic Association's loss budget guide,
// thefoa.org/tech/ref/Loss_Budget, and fiber datasheets); mated connectors 0.1-0.5 dB, fusion splices
// 0.02-0.1 dB; physical-contact connectors reflect -48 to -57 dB (single-mode), -38 to -48 dB (multimode).
#include "FiberLink.h"

#include <algorithm>
#include <cmath>

namespace Kestrix::LinkGen {

namespace {

const FiberType kTypes[] = {
    {FiberKind::om3, "OM3 Multimode 50", FiberCategory::OM3, FiberMode::multimode, 50.0, {850, 1300}},
    {FiberKind::om4, "OM4 Multimode 50", FiberCategory::OM4, FiberMode::multimode, 50.0, {850, 1300}},
    {FiberKind::os2, "OS2 Singlemode", FiberCategory::OS2, FiberMode::singlemode, 9.0, {1310, 1550}},
};

struct WavelengthFigures {
    uint16_t wavelength;
    double ir;
    double backscatter;  // dB at 1 ns
    double attenuationLo, attenuationHi;
    double bendFactor;  // a bend's loss relative to the shortest wavelength
    uint32_t modalBandwidth;
};

const WavelengthFigures kMultimode[] = {
    {850, 1.4962, -68.0, 2.3, 3.0, 1.0, 3500},
    {1300, 1.4915, -76.0, 0.6, 1.0, 2.2, 500},
};
const WavelengthFigures kSinglemode[] = {
    {1310, 1.4677, -79.4, 0.32, 0.36, 1.0, 0},
    {1490, 1.4680, -80.9, 0.21, 0.25, 2.0, 0},
    {1550, 1.4682, -81.7, 0.18, 0.22, 2.6, 0},
    {1625, 1.4685, -82.3, 0.20, 0.24, 3.4, 0},
};

bool multimode(FiberKind k) { return k != FiberKind::os2; }

const WavelengthFigures* figures(FiberKind k, uint16_t wl) {
    if (multimode(k)) {
        for (const auto& f : kMultimode)
            if (f.wavelength == wl) return &f;
    } else {
        for (const auto& f : kSinglemode)
            if (f.wavelength == wl) return &f;
    }
    return nullptr;
}

FiberPoint connectorAt(double atM, FiberKind k, bool dirty, Random& rng) {
    FiberPoint p;
    p.kind = FiberPoint::Kind::connector;
    p.atM = atM;
    p.dirty = dirty;
    // A dirty end face loses and reflects far more than a clean one.
    p.lossDb = dirty ? rng.uniform(0.9, 1.6) : rng.uniform(0.1, 0.45);
    p.reflectanceDb =
        dirty ? rng.uniform(-32.0, -27.0) : (multimode(k) ? rng.uniform(-48, -38) : rng.uniform(-57, -48));
    return p;
}

}  // namespace

const FiberType& fiberType(FiberKind k) {
    for (const auto& t : kTypes)
        if (t.kind == k) return t;
    return kTypes[0];
}

Fiber fiberRecord(FiberKind k) {
    const FiberType& t = fiberType(k);
    DatabasePackageManifestSummary origin;
    origin.customerVersion.major = 3;
    origin.customerVersion.minor = 12;
    origin.releaseType = 1;
    origin.build = 417;
    origin.type = 2;
    origin.minReqFirmwareVersion = "2.4.0";
    Fiber f(t.name, t.category, ScaledInt(static_cast<float>(t.coreUm), ScaledInt::tenths), t.mode, origin);
    const auto add = [&f](const WavelengthFigures& w) {
        FiberPerWl& p = f.perWlFor(w.wavelength);
        p.ir = w.ir;
        p.modalBandwidth = w.modalBandwidth;
        p.backscatterCoef = ScaledInt(static_cast<float>(w.backscatter), ScaledInt::tenths);
    };
    if (multimode(k)) {
        for (const auto& w : kMultimode) add(w);
    } else {
        for (const auto& w : kSinglemode) add(w);
    }
    return f;
}

double indexOfRefraction(FiberKind k, uint16_t wl) {
    const auto* f = figures(k, wl);
    return f ? f->ir : 1.468;
}

double backscatterDb(FiberKind k, uint16_t wl) {
    const auto* f = figures(k, wl);
    return f ? f->backscatter : -80.0;
}

FiberLink::FiberLink(const FiberLinkDesign& design) : _kind(design.fiber), _lengthM(design.lengthM) {
    Random rng(design.seed);
    if (multimode(_kind)) {
        for (const auto& w : kMultimode)
            _attenuation.emplace_back(w.wavelength, rng.uniform(w.attenuationLo, w.attenuationHi));
    } else {
        for (const auto& w : kSinglemode)
            _attenuation.emplace_back(w.wavelength, rng.uniform(w.attenuationLo, w.attenuationHi));
    }
    _points.push_back(connectorAt(0.0, _kind, design.dirtyEnd1, rng));
    // Patch panels, splice closures and the bend sit apart from each other and from the ends.
    std::vector<FiberPoint> along;
    const auto spot = [&]() {
        for (int attempt = 0; attempt < 50; ++attempt) {
            const double at = std::round(rng.uniform(0.08, 0.92) * _lengthM * 10.0) / 10.0;
            const bool clear = std::none_of(along.begin(), along.end(),
                                            [at](const FiberPoint& p) { return std::fabs(p.atM - at) < 25.0; });
            if (clear) return at;
        }
        return std::round(rng.uniform(0.08, 0.92) * _lengthM * 10.0) / 10.0;
    };
    for (int i = 0; i < design.innerConnectors; ++i) along.push_back(connectorAt(spot(), _kind, false, rng));
    for (int i = 0; i < design.splices; ++i) {
        FiberPoint s;
        s.kind = FiberPoint::Kind::splice;
        s.atM = spot();
        s.lossDb = rng.uniform(0.02, 0.10);
        s.reflectanceDb = std::nan("");
        s.mismatchDb = rng.uniform(-0.08, 0.08);
        along.push_back(s);
    }
    if (design.macrobend) {
        FiberPoint b;
        b.kind = FiberPoint::Kind::bend;
        b.atM = spot();
        b.lossDb = multimode(_kind) ? rng.uniform(0.12, 0.25) : rng.uniform(0.15, 0.3);
        b.reflectanceDb = std::nan("");
        along.push_back(b);
    }
    std::sort(along.begin(), along.end(), [](const FiberPoint& a, const FiberPoint& b) { return a.atM < b.atM; });
    _points.insert(_points.end(), along.begin(), along.end());
    _points.push_back(connectorAt(_lengthM, _kind, false, rng));
}

double FiberLink::attenuationDbPerKm(uint16_t wl) const {
    for (const auto& [w, a] : _attenuation)
        if (w == wl) return a;
    return 0.0;
}

double FiberLink::lossAt(const FiberPoint& p, uint16_t wl) {
    if (p.kind != FiberPoint::Kind::bend) return p.lossDb;
    const bool mm = wl < 1310;
    const auto* f = figures(mm ? FiberKind::om3 : FiberKind::os2, wl);
    return p.lossDb * (f ? f->bendFactor : 1.0);
}

double FiberLink::lossDb(uint16_t wl) const {
    double loss = attenuationDbPerKm(wl) * _lengthM / 1000.0;
    for (const auto& p : _points) loss += lossAt(p, wl);
    return loss;
}

int FiberLink::matedPairs() const {
    return static_cast<int>(std::count_if(_points.begin(), _points.end(),
                                          [](const FiberPoint& p) { return p.kind == FiberPoint::Kind::connector; }));
}

int FiberLink::splices() const {
    return static_cast<int>(std::count_if(_points.begin(), _points.end(),
                                          [](const FiberPoint& p) { return p.kind == FiberPoint::Kind::splice; }));
}

FiberLink FiberLink::reversed() const {
    FiberLink r;
    r._kind = _kind;
    r._lengthM = _lengthM;
    r._attenuation = _attenuation;
    for (auto it = _points.rbegin(); it != _points.rend(); ++it) {
        FiberPoint p = *it;
        p.atM = std::round((_lengthM - p.atM) * 10.0) / 10.0;
        p.mismatchDb = -p.mismatchDb;
        r._points.push_back(p);
    }
    return r;
}

}  // namespace Kestrix::LinkGen
