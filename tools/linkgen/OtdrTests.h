#pragma once
// OTDR tests of a fiber link: the event table read from the link, the traces synthesised from the same
// link, the overall results; fault maps and real-time traces; both ends of one fiber and their
// bidirectional average.
#include <cstdint>
#include <vector>

#include "FiberLink.h"
#include "TestRun.h"
#include "fiber/FiberOtdrTest.h"

namespace Kestrix::LinkGen {

struct OtdrSetup {
    std::vector<uint16_t> wavelengths;  // empty: the fiber's two
    double launchM = 150.0;             // launch cord before the link; 0 connects the link to the port
    double tailM = 150.0;               // tail cord after it; 0 leaves the link's far end open
    double pulseNs = 0.0;               // 0: chosen from the length
};

// An OTDR test from `end` (end 2 reads the reversed link), as test type otdrEnd1 or otdrEnd2.
FiberOtdrTest measureOtdr(const FiberLink& link, CableEnd end, const OtdrSetup& setup, const TestRun& run,
                          uint64_t seed);
// A fault map of the link from end 1, no launch or tail cord: its events and its length end at the link's
// far end.
FiberOtdrTest measureFaultMap(const FiberLink& link, const TestRun& run, uint64_t seed);
// A live trace from end 1 at one wavelength: traces only, no analysis.
FiberOtdrTest measureRealTimeTrace(const FiberLink& link, const TestRun& run, uint64_t seed);

}  // namespace Kestrix::LinkGen
