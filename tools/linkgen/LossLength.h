#pragma once
// Loss/length and power-meter tests of a fiber link: what a loss test set reads end to end in both
// directions, judged against the standard's loss budget for the link.
#include <cstdint>

#include "FiberLink.h"
#include "TestRun.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberPowerMeterTest.h"

namespace Kestrix::LinkGen {

// Both directions at the fiber's two wavelengths, one-jumper reference. Each margin is the budget less the
// loss as displayed; a negative one fails.
FiberLossLengthTest measureLossLength(const FiberLink& link, const TestRun& run, uint64_t seed);

// Absolute power received at `end` from a source at the other end, at the fiber's two wavelengths.
FiberPowerMeterTest measurePower(const FiberLink& link, CableEnd end, const TestRun& run, uint64_t seed);

}  // namespace Kestrix::LinkGen
