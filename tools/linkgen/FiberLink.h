#pragma once
// A fiber link as it is built: the fiber (its attenuation at each wavelength), its length, and what sits
// along it (mated connectors, fusion splices, a macrobend), with their losses and reflectances at every
// wavelength. Loss/length, OTDR and end-face tests are all read from one such link.
#include <cstdint>
#include <vector>

#include "Random.h"
#include "fiber/Fiber.h"

namespace Kestrix::LinkGen {

enum class FiberKind { om3, om4, os2 };

struct FiberType {
    FiberKind kind;
    const char* name;  // "OM3 Multimode 50"
    FiberCategory category;
    FiberMode mode;
    double coreUm;
    std::vector<uint16_t> wavelengths;  // of loss sets; OTDRs may test more (single-mode quad)
};
const FiberType& fiberType(FiberKind k);
// The fiber record tests carry: index of refraction, modal bandwidth and backscatter coefficient per
// wavelength (850/1300 nm multimode; 1310/1490/1550/1625 nm single-mode).
Fiber fiberRecord(FiberKind k);
double indexOfRefraction(FiberKind k, uint16_t wavelength);
// Backscatter coefficient for a 1 ns pulse, dB.
double backscatterDb(FiberKind k, uint16_t wavelength);

struct FiberPoint {
    enum class Kind { connector, splice, bend };
    Kind kind = Kind::connector;
    double atM = 0.0;            // from end 1 of the fiber under test
    double lossDb = 0.0;         // at the shortest wavelength
    double reflectanceDb = -55;  // connectors only
    // A bend loses more the longer the wavelength; a splice between fibers of different mode-field
    // diameters looks `mismatchDb` worse from end 1 and as much better from end 2.
    double mismatchDb = 0.0;
    bool dirty = false;
};

struct FiberLinkDesign {
    FiberKind fiber = FiberKind::os2;
    double lengthM = 1000.0;
    int innerConnectors = 0;  // mated pairs between the two end connections
    int splices = 0;
    bool macrobend = false;
    bool dirtyEnd1 = false;  // the end-1 connector was mated unclean
    uint64_t seed = 1;
};

class FiberLink {
public:
    explicit FiberLink(const FiberLinkDesign& design);

    FiberKind kind() const { return _kind; }
    double lengthM() const { return _lengthM; }
    // The end-1 connector at 0, what lies along the fiber, the end-2 connector at its length.
    const std::vector<FiberPoint>& points() const { return _points; }
    double attenuationDbPerKm(uint16_t wavelength) const;
    // A point's true loss at a wavelength.
    static double lossAt(const FiberPoint& p, uint16_t wavelength);
    // Fiber attenuation times length plus every point: what a loss set reads end to end.
    double lossDb(uint16_t wavelength) const;
    int matedPairs() const;
    int splices() const;
    // The same link seen from end 2: positions mirrored, splice mismatches inverted.
    FiberLink reversed() const;

private:
    FiberLink() = default;
    FiberKind _kind = FiberKind::os2;
    double _lengthM = 0.0;
    std::vector<FiberPoint> _points;
    std::vector<std::pair<uint16_t, double>> _attenuation;
};

}  // namespace Kestrix::LinkGen
