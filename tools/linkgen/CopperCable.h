#pragma once
// Twisted-pair and coax cable types: what a cable's loss, speed and conductors are, per 100 m, and the
// cable record a copper test carries.
#include <array>

#include "CopperFormulas.h"
#include "copper/CopperCable.h"

namespace Kestrix::LinkGen {

struct CableType {
    const char* name;  // as the tester lists it, "Cat 6A U/FTP"
    Category category;
    CopperCable::Shield shield;
    CopperCable::CatId catId;
    int impedance;              // ohms
    double nvp;                 // nominal velocity of propagation, fraction of c
    double lossShare;           // insertion loss of this cable relative to the category's 100 m limit
    double ohmsPer100m;         // one conductor, 20 degrees C
    std::array<double, 4> lay;  // extra electrical length of pairs 1-4 from their twist rates
};

// The cable types the generator installs.
const CableType& cableType(Category c, bool shielded);
const CableType& coaxCable();

// The record of the cable type a test ran on.
CopperCable copperCable(const CableType& t);

// Speed of light in vacuum in m/ns.
inline constexpr double kLightMPerNs = 0.299792458;

}  // namespace Kestrix::LinkGen
