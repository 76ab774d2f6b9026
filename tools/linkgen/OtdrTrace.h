#pragma once
// An OTDR trace synthesised from the path the OTDR looks down: backscatter falling at the fiber's
// attenuation (one-way dB), a step at each event equal to its loss, a Fresnel peak at each reflective event
// whose height follows its reflectance and the pulse width, the far end's reflection, then noise. The noise
// is the receiver's, constant in power, so it grows in dB as the backscatter fades along the fiber.
#include <cstdint>
#include <vector>

#include "FiberLink.h"
#include "Random.h"
#include "fiber/FiberOtdrPlots.h"

namespace Kestrix::LinkGen {

// How the OTDR is set for one wavelength.
struct OtdrShot {
    uint16_t wavelength = 1310;
    double pulseNs = 30.0;
    double spacingM = 0.5;         // between samples
    double dynamicRangeDb = 26.0;  // from the first backscatter down to the noise floor
};

// An event on the path, from the OTDR's front panel.
struct TraceEvent {
    double atM = 0.0;
    double lossDb = 0.0;         // as the OTDR sees it from here (a gainer is negative)
    double reflectanceDb = 0.0;  // NaN for none
};

struct Trace {
    FiberOtdrPlot plot;
    std::vector<uint32_t> eventIndex;   // sample of each event (the peak of a reflective one)
    std::vector<double> levelBeforeDb;  // backscatter just before each event
    double firstLevelDb = 0.0;          // backscatter at the front panel
};

// Sample index that holds the point `atM` metres from the front panel.
uint32_t sampleAt(const FiberOtdrPlot& plot, double atM);

// `events` in order along the path; the fiber ends at `endM` with a reflection of `endReflectanceDb`.
Trace synthesizeTrace(FiberKind fiber, double attenuationDbPerKm, const OtdrShot& shot,
                      const std::vector<TraceEvent>& events, double endM, double endReflectanceDb, Random& rng);

}  // namespace Kestrix::LinkGen
