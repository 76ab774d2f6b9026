#pragma once
// A copper link as a tester measures it: insertion loss from the cable model scaled by each pair's length,
// NEXT, ACR-F and return loss from the cable and connection terms of the standards with the link's own
// margins and ripple, delays and resistances from the cable's NVP and conductors, the wiremap. The verdicts
// are the library's own: the test is recertified against its limit once it is complete.
#include <cstdint>

#include "CopperFormulas.h"
#include "TestRun.h"
#include "Wiring.h"
#include "copper/CopperTest.h"

namespace Kestrix::LinkGen {

// Why a link fails, if it does. A wiremap fault stops the autotest after the wiremap and the lengths.
enum class CopperFault { none, badTermination, tooLong, resistanceUnbalance, wiremap };
const char* toString(CopperFault f);

struct CopperLinkDesign {
    Grade grade;  // the limit the link is tested against, and the category of its parts
    Wiring wiring = Wiring::t568B;
    bool shielded = false;
    double lengthM = 45.0;  // the installed cable
    double cordsM = 0.0;    // the cords of a channel, both ends together
    CopperFault fault = CopperFault::none;
    WiremapFault wiremapFault = WiremapFault::none;  // with CopperFault::wiremap
    int faultyEnd = 1;                               // 1 main, 2 remote: the end with the bad termination
    uint64_t seed = 1;                               // of the link's margins, ripple and resistances
};

CopperTestPtr measureCopperLink(const CopperLinkDesign& design, const TestRun& run);

// An RG6 coax run: length, insertion loss to 1 GHz and loop resistance; no twisted-pair wiremap.
CopperTestPtr measureCoaxLink(double lengthM, uint64_t seed, const TestRun& run);

}  // namespace Kestrix::LinkGen
