// Trace synthesis: the backscatter falls at the fiber's attenuation, a reflection stands as high as its
// reflectance and the pulse make it, a loss is a step, and the noise grows as the backscatter fades.
#include <gtest/gtest.h>

#include <cmath>

#include "OtdrTrace.h"

using namespace Kestrix;
using namespace Kestrix::LinkGen;

namespace {

double db(const FiberOtdrPlot& p, uint32_t i) { return p.dataPoints[i] / static_cast<double>(p.dataPointsScale); }

// Mean level over samples [from, to).
double mean(const FiberOtdrPlot& p, uint32_t from, uint32_t to) {
    double sum = 0;
    for (uint32_t i = from; i < to; ++i) sum += db(p, i);
    return sum / (to - from);
}

struct Fixture {
    OtdrShot shot;
    std::vector<TraceEvent> events;
    Trace trace;
    Fixture() {
        shot.wavelength = 1310;
        shot.pulseNs = 30;
        shot.spacingM = 0.5;
        shot.dynamicRangeDb = 20;
        events = {{400.0, 0.30, -45.0}, {1200.0, 0.50, std::nan("")}};
        Random rng(3);
        trace = synthesizeTrace(FiberKind::os2, 0.34, shot, events, 2000.0, -14.5, rng);
    }
};

}  // namespace

TEST(OtdrTrace, BackscatterFallsStepsAtEachLossAndPeaksAtEachReflection) {
    const Fixture f;
    const FiberOtdrPlot& p = f.trace.plot;
    EXPECT_NEAR(p.getLength(static_cast<float>(sampleAt(p, 700.0))), 700.0, 0.25);
    // 0.34 dB/km between 500 m and 1000 m, one way.
    const double a = mean(p, sampleAt(p, 495.0), sampleAt(p, 505.0));
    const double b = mean(p, sampleAt(p, 995.0), sampleAt(p, 1005.0));
    EXPECT_NEAR(a - b, 0.34 * 0.5, 0.01);
    // The splice at 1200 m: a step of 0.5 dB once the pulse has passed it.
    const double before = mean(p, sampleAt(p, 1185.0), sampleAt(p, 1195.0)) - 0.34 * 0.010;
    const double after = mean(p, sampleAt(p, 1215.0), sampleAt(p, 1225.0)) + 0.34 * 0.020;
    EXPECT_NEAR(before - after, 0.5, 0.02);

    // The reflection at 400 m peaks on its sample, as high as its reflectance makes it.
    const uint32_t i = f.trace.eventIndex[0];
    EXPECT_GT(db(p, i), db(p, i - 1));
    EXPECT_GT(db(p, i), db(p, i + 1));
    // R = BC + 10 lg((10^(H/5) - 1) D): -45 dB at -79.4 dB backscatter and 30 ns.
    const double h = 5.0 * std::log10(1.0 + std::pow(10.0, (-45.0 + 79.4) / 10.0) / 30.0);
    EXPECT_NEAR(db(p, i) - f.trace.levelBeforeDb[0], h, 0.05);
}

TEST(OtdrTrace, NoiseGrowsWithDistanceAndRulesPastTheEnd) {
    // Multimode at 850 nm with little dynamic range: 2 km of fade bring the backscatter near the floor.
    Fixture f;
    f.shot.wavelength = 850;
    f.shot.dynamicRangeDb = 9.0;
    Random rng(5);
    const Trace t = synthesizeTrace(FiberKind::om3, 3.0, f.shot, {}, 2000.0, -14.5, rng);
    const FiberOtdrPlot& p = t.plot;
    // Spread about a straight line through 40 m of trace.
    const auto spread = [&](double from) {
        const uint32_t a = sampleAt(p, from), b = sampleAt(p, from + 40.0);
        const double n = b - a, first = db(p, a), slope = (db(p, b) - first) / n;
        double s = 0;
        for (uint32_t i = a; i < b; ++i) {
            const double r = db(p, i) - (first + slope * (i - a));
            s += r * r;
        }
        return std::sqrt(s / n);
    };
    EXPECT_LT(2.0 * spread(100.0), spread(1900.0));
    // Past the end only noise, around the floor.
    EXPECT_LT(mean(p, sampleAt(p, 2100.0), sampleAt(p, 2200.0)), t.firstLevelDb - f.shot.dynamicRangeDb + 1.0);
}
