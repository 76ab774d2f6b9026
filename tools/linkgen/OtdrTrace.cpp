// The Fresnel peak of a reflectance R seen with pulse width D (ns) over backscatter of coefficient BC (dB at
// 1 ns) stands H = 5 lg(1 + 10^((R - BC)/10) / D) above the backscatter: the usual OTDR reflectance
// relation R = BC + 10 lg((10^(H/5) - 1) D) solved for H. A pulse of D ns spans D c / 2n metres of fiber.
#include "OtdrTrace.h"

#include <algorithm>
#include <cmath>

namespace Kestrix::LinkGen {

namespace {

constexpr double kLightMPerNs = 0.299792458;
constexpr int32_t kPointsPerDb = 1000;
constexpr uint32_t kZeroIndex = 10;  // samples the OTDR keeps before its front panel

double power(double db) { return std::pow(10.0, db / 5.0); }

}  // namespace

uint32_t sampleAt(const FiberOtdrPlot& plot, double atM) {
    const double perSample = plot.nsPerSample * kLightMPerNs / plot.ir;
    return static_cast<uint32_t>(std::lround(plot.zeroLengthIndex + atM / perSample));
}

Trace synthesizeTrace(FiberKind fiber, double attenuation, const OtdrShot& shot, const std::vector<TraceEvent>& events,
                      double endM, double endReflectanceDb, Random& rng) {
    const double ir = indexOfRefraction(fiber, shot.wavelength);
    const double bc = backscatterDb(fiber, shot.wavelength);
    const double pulseM = shot.pulseNs * kLightMPerNs / (2.0 * ir);
    const double dx = shot.spacingM;
    // The display's 0 dB sits some way above the backscatter of the shortest pulses.
    const double first = (bc + 10.0 * std::log10(shot.pulseNs)) / 2.0 + 12.0;
    const double floorDb = first - shot.dynamicRangeDb;
    const double sigma = power(floorDb);

    Trace t;
    t.firstLevelDb = first;
    FiberOtdrPlot& p = t.plot;
    p.wavelength = shot.wavelength;
    p.ir = ir;
    p.nsPerSample = static_cast<float>(dx * ir / kLightMPerNs);
    p.zeroLengthIndex = static_cast<float>(kZeroIndex);
    p.dataPointsScale = kPointsPerDb;
    p.noiseFloor = static_cast<float>(floorDb);
    p.clipLevel = static_cast<float>(first + 30.0);
    const double rangeM = endM + std::max(300.0, 0.25 * endM);
    const auto n = static_cast<uint32_t>(kZeroIndex + rangeM / dx);
    p.rightPlotBoundaryIndex = n - 1;

    // Every reflector, the front panel and the far end included: where, and how much above the backscatter.
    struct Reflector {
        uint32_t index;
        double excess;  // reflected power over backscatter power at that point
    };
    const auto excessOf = [&](double r) { return std::pow(10.0, (r - bc) / 10.0) / shot.pulseNs; };
    std::vector<Reflector> reflectors{{kZeroIndex, excessOf(-40.0)}};
    for (const auto& e : events) {
        t.eventIndex.push_back(sampleAt(p, e.atM));
        if (!std::isnan(e.reflectanceDb)) reflectors.push_back({t.eventIndex.back(), excessOf(e.reflectanceDb)});
    }
    const uint32_t endIndex = sampleAt(p, endM);
    reflectors.push_back({endIndex, excessOf(endReflectanceDb)});

    // Backscatter level, dB, at a distance: the attenuation and the losses of the events passed, each loss
    // spread over one pulse length as the OTDR sees it.
    const auto level = [&](double x) {
        double db = first - attenuation * x / 1000.0;
        for (const auto& e : events) {
            const double into = (x - e.atM) / pulseM;
            if (into <= 0.0) break;
            db -= e.lossDb * std::min(1.0, into);
        }
        return db;
    };
    for (const auto& e : events) t.levelBeforeDb.push_back(level(e.atM - 1e-6));

    p.dataPoints.resize(n);
    size_t next = 0;  // reflectors at or before the sample, kept as a running window
    for (uint32_t i = 0; i < n; ++i) {
        const double x = (static_cast<double>(i) - kZeroIndex) * dx;
        const double backscatter = x < 0.0 || x > endM ? 0.0 : power(level(x));
        double signal = backscatter;
        while (next < reflectors.size() && reflectors[next].index + 24 * (pulseM / dx + 1) < i) ++next;
        for (size_t r = next; r < reflectors.size() && reflectors[r].index <= i; ++r) {
            // The peak sits on its sample and falls over one pulse length; the receiver recovers within a few.
            const double d = (i - reflectors[r].index) * dx;
            const double at = power(level(std::min((reflectors[r].index - kZeroIndex) * dx, endM) - 1e-6));
            const double shape = d < pulseM ? std::pow(1.0 - d / pulseM, 2.0) : 0.0;
            signal += at * reflectors[r].excess * (shape + 1e-7 * std::exp(-d / pulseM));
        }
        const double noisy = signal + rng.normal(0.0, sigma);
        double db = noisy > sigma * 1e-3 ? 5.0 * std::log10(noisy) : floorDb - 15.0;
        db += rng.normal(0.0, 0.003);  // the backscatter's own grain
        db = std::min(db, static_cast<double>(p.clipLevel));
        p.dataPoints[i] = static_cast<int32_t>(std::lround(db * kPointsPerDb));
    }
    return t;
}

}  // namespace Kestrix::LinkGen
