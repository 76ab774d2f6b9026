#pragma once
// Enumerations shared by every copper class. Their numeric values are stored in files: they are frozen.
#include <cstdint>

#include "common/CableEnd.h"
#include "common/Status.h"

namespace Kestrix {

enum class CopperTestType : int32_t {
    none = 0,
    autoTest = 1,
    map = 2,
    resist = 3,
    imped = 4,
    length = 5,
    delay = 6,
    skew = 7,
    unbalance = 8,
    dcShield = 9,
    tdr = 10,
    tdx = 12,
    il = 15,
    next = 16,
    psnext = 17,
    acr = 18,
    psacr = 19,
    elfext = 20,
    pselfext = 21,
    rl = 22,
    fext = 23,
    tcl = 24,
    cdnext = 25,
    tctl = 26,
    cdfext = 27,
    cmrl = 28,
    eltctl = 29,
    psfext = 30,
    acShield = 31,
    delay2 = 32,
    gum = 33,
    rlX = 34,
    rlXX = 35,
    cmrlX = 36,
    ref = 37,
    refchk = 38,
    nv = 39,
    nl = 40,
    nextCald = 41,
    rlCald = 42,
    noisyFreqs = 43,
    refGlitch = 44,
    resistParallel = 45,
    p2pUnbalance = 46,
};

enum class WirePair : int32_t { notset = 0, pair1 = 1, pair2 = 2, pair3 = 3, pair4 = 4, pairN = 5 };

enum class Pin : int32_t { notset = 0, pin1 = 1, pin2, pin3, pin4, pin5, pin6, pin7, pin8, shield = 9 };

// Texts of dumps and JSON; the empty text for values without one.
const char* toString(CopperTestType t);
const char* toString(CableEnd e);
const char* toString(WirePair p);
const char* toString(Pin p);
// Display form of an end: "End 1", "End 2", else empty.
const char* cableEndDisplayText(CableEnd e);

// Severity merge of two statuses: keeps the one later in the order
// Not set, Don't show, Show, Pass, Pass acceptable, Pass star, Fail star, Fail.
// A value that is not one of these bits ranks below Not set.
Status mergeStatus(Status a, Status b);

}  // namespace Kestrix
