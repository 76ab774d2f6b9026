#pragma once
// Outlet wiring and wiremap results: the T568A and T568B colour codes, and what a wiremap test finds on a
// link that is wired right, or with an open, a short, a reversed, crossed or split pair, a miswire or an
// open shield.
#include <cstdint>

#include "copper/CopperOutletConfig.h"
#include "copper/Wiremap.h"

namespace Kestrix::LinkGen {

enum class Wiring { t568A, t568B };
// "T568A", "T568B": the outlet configuration's name.
const char* wiringName(Wiring w);

// The wire on a pin (1 to 8): its colour (0xRRGGBB) and whether it is the white, striped wire of its pair.
struct PinWire {
    uint32_t rgb = 0;
    bool striped = false;
};
PinWire pinWire(Wiring w, int pin);

inline constexpr uint32_t kOrange = 0xFF8000;
inline constexpr uint32_t kGreen = 0x00A050;
inline constexpr uint32_t kBlue = 0x0050FF;
inline constexpr uint32_t kBrown = 0x8B4513;

// All four pairs, each pair's wires coloured by the standard (striped wires dashed).
CopperOutletConfig outletConfig(Wiring w);
// The tester keeps every coax measurement on its second pair: the centre conductor and the shield.
inline constexpr WirePair kCoaxPair = WirePair::pair2;
// One conductor pair (the centre and the shield) for coax tests.
CopperOutletConfig coaxOutlet();

enum class WiremapFault { none, open, shortCircuit, reversedPair, crossedPairs, splitPair, miswire, shieldOpen };
const char* toString(WiremapFault f);

struct WiremapDesign {
    WiremapFault fault = WiremapFault::none;
    bool shielded = false;  // the shield is part of the map
    double faultAtM = 0.0;  // distance of an open or short from the main unit
    int pin = 1;            // the open pin; the first pin of a short
    int pin2 = 2;           // the second pin of a short
    double splitFromMainM = 0.0;
    double splitFromRemoteM = 0.0;
};

// Pass for a straight-through map, Fail for every fault.
Wiremap wiremap(const WiremapDesign& design);

}  // namespace Kestrix::LinkGen
