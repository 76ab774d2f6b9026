#pragma once
// End-face inspection of a connector: the camera's picture (ferrule, cladding, core and whatever sits on
// them) and the defects found in it, each judged by the zone rules of the limit.
#include <cstdint>

#include "TestRun.h"
#include "fiber/FiberImageTest.h"

namespace Kestrix::LinkGen {

struct EndFaceDesign {
    FiberMode mode = FiberMode::singlemode;
    bool dirty = false;      // particles on the core and cladding after an unclean mating
    bool scratched = false;  // a scratch across the cladding
    uint64_t seed = 1;
};

// An image test (imageEnd1 or imageEnd2) with a 640 x 480 PNG picture at 1.6 pixels per micrometre.
FiberImageTest inspectEndFace(const EndFaceDesign& design, FiberTestType type, const TestRun& run);

}  // namespace Kestrix::LinkGen
