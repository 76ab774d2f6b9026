#pragma once
// Realistic fiber model objects and result files for tests, fuzz seeds, samples and benchmarks.
#include <cstdint>
#include <vector>

#include "common/DatabasePackageManifest.h"
#include "fiber/Fiber.h"
#include "fiber/FiberLimit.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResult.h"

namespace kx::test {

// "OM3 Multimode 50": 850 and 1300 nm.
Kestrix::Fiber multimodeFiber();
// "OS2 Singlemode": 1310 and 1550 nm.
Kestrix::Fiber singlemodeFiber();
// A loss/length limit for OM3/OM4 at 850 and 1300 nm.
Kestrix::FiberLimit lossLengthLimit();
// An end-face limit with rules and zone distances.
Kestrix::FiberLimit imageLimit();
Kestrix::FiberLossLengthSettings lossLengthSettings();
Kestrix::FiberCheckLimitResult checkResult(Kestrix::FiberLimitValueType type, float limit, float margin,
                                           Kestrix::Status status);
// Two wavelengths in both directions; end 2 at 1300 nm fails.
Kestrix::FiberLossLengthTest lossLengthTest();
Kestrix::FiberPowerMeterTest powerMeterTest();
Kestrix::ResultSummary fiberSummary(const char* name = "LL-0042");
// Summary, loss/length test and power meter test from end 1.
Kestrix::FiberResult lossLengthResult();
// lossLengthResult() written by the fiber result writer, under another cable id if one is given.
std::vector<uint8_t> lossLengthResultFile(const char* cableId = "LL-0042");

}  // namespace kx::test
