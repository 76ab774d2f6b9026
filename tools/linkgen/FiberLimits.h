#pragma once
// Fiber limits: the loss budgets of the cabling standard for loss/length tests, the event limits of an
// OTDR test, and the end-face rules of an inspection.
#include <cstdint>

#include "FiberLink.h"
#include "fiber/FiberLimit.h"

namespace Kestrix::LinkGen {

// "TIA-568.3-D-1 Multimode (STD)" or "TIA-568.3-D-1 Singlemode ISP (STD)": per wavelength the cabled fiber's
// attenuation allowance, 0.75 dB per mated connector pair and 0.3 dB per splice, summed over the link
// (a length-based budget).
FiberLimit lossLengthLimit(FiberMode mode);
// The budget of a link of that length with that many mated pairs and splices, dB.
double lossBudgetDb(const FiberLimit& limit, FiberCategory category, uint16_t wavelength, double lengthM,
                    int matedPairs, int splices);

// "General Fiber RL = 35 dB": connector loss 0.75 dB, splice loss 0.3 dB, reflectance -35 dB.
FiberLimit otdrLimit();
// "IEC 61300-3-35 ED.2 MM" or "IEC 61300-3-35 ED.2 SM RL>=45dB": defects and scratches allowed per zone.
FiberLimit imageLimit(FiberMode mode);

}  // namespace Kestrix::LinkGen
