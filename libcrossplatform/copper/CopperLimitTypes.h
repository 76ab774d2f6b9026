#pragma once
// Enumerations of copper limits. Their numeric values are stored in files: they are frozen.
#include <cstdint>

#include "copper/CopperTypes.h"

namespace Kestrix {

enum class CopperFreqLimitType : int32_t {
    NONE = 0,
    IL = 1,
    NEXT = 2,
    NEXT_ALT = 3,
    PSNEXT = 4,
    PSNEXT_ALT = 5,
    ACR = 6,
    PSACR = 7,
    ELFEXT = 8,
    PSELFEXT = 9,
    RL = 10,
    TCL = 11,
    TCTL = 12,
    ELTCTL = 13,
    CMRL = 14,
    CDNEXT = 15,
    TDR = 16,
    RL_ALT = 17,
    TCL_ALT = 18,
    ELTCTL_ALT = 19,
};

enum class CopperScalarLimitType : int32_t {
    NULL_LIMIT = 0,
    resistance = 1,
    impedance = 2,
    impedance50 = 3,
    impedance52 = 4,
    impedance75 = 5,
    impedance93 = 6,
    impedance100 = 7,
    impedance120 = 8,
    impedance150 = 9,
    length = 10,
    propDelay = 11,
    delaySkew = 12,
    unbalancePercent = 13,
    unbalanceOhm = 14,
    p2pUnbalancePercent = 15,
    p2pUnbalanceOhm = 16,
};

// A single pair by its pins (1-4), an ordered combination, disturbing pair first (5-16), or all pairs (17).
enum class PairCombo : int32_t {
    any = 0,
    p12 = 1,
    p36 = 2,
    p45 = 3,
    p78 = 4,
    p12_36 = 5,
    p12_45 = 6,
    p12_78 = 7,
    p36_12 = 8,
    p36_45 = 9,
    p36_78 = 10,
    p45_12 = 11,
    p45_36 = 12,
    p45_78 = 13,
    p78_12 = 14,
    p78_36 = 15,
    p78_45 = 16,
    N = 17,
};

const char* toString(CopperFreqLimitType t);
const char* toString(CopperScalarLimitType t);
const char* toString(PairCombo p);

// The test type a scalar limit judges, and the nominal impedance of the impedance forms (0 otherwise).
CopperTestType scalarLimitTestType(CopperScalarLimitType t);
int scalarLimitNominalOhms(CopperScalarLimitType t);

// The pair combination of a plot's source and receive pairs (1 to 4 each); any other pair gives `any`.
PairCombo pairComboOf(WirePair src, WirePair rcv);

}  // namespace Kestrix
