#include "copper/CopperLimitTypes.h"

#include "common/TextTable.h"

namespace Kestrix {

const char* toString(CopperFreqLimitType t) {
    static const char* const kTexts[] = {"NONE",  "IL",     "NEXT",     "NEXT_ALT", "PSNEXT",  "PSNEXT_ALT", "ACR",
                                         "PSACR", "ELFEXT", "PSELFEXT", "RL",       "TCL",     "TCTL",       "ELTCTL",
                                         "CMRL",  "CDNEXT", "TDR",      "RL_ALT",   "TCL_ALT", "ELTCTL_ALT"};
    return textAt(kTexts, static_cast<int32_t>(t));
}

const char* toString(CopperScalarLimitType t) {
    static const char* const kTexts[] = {"NULL",
                                         "Resistance",
                                         "Impedance",
                                         "Impedance (50)",
                                         "Impedance (52)",
                                         "Impedance (75)",
                                         "Impedance (93)",
                                         "Impedance (100)",
                                         "Impedance (120)",
                                         "Impedance (150)",
                                         "Length",
                                         "Prop Delay",
                                         "Delay Skew",
                                         "Resistance Unbalance Percent",
                                         "Resistance Unbalance Ohm",
                                         "Resistance P2p Unbalance Percent",
                                         "Resistance P2p Unbalance Ohm"};
    return textAt(kTexts, static_cast<int32_t>(t));
}

const char* toString(PairCombo p) {
    static const char* const kTexts[] = {"",      "12",    "36",    "45",    "78",    "12_36",
                                         "12_45", "12_78", "36_12", "36_45", "36_78", "45_12",
                                         "45_36", "45_78", "78_12", "78_36", "78_45", "N"};
    return textAt(kTexts, static_cast<int32_t>(p));
}

CopperTestType scalarLimitTestType(CopperScalarLimitType t) {
    switch (t) {
        case CopperScalarLimitType::resistance: return CopperTestType::resist;
        case CopperScalarLimitType::impedance:
        case CopperScalarLimitType::impedance50:
        case CopperScalarLimitType::impedance52:
        case CopperScalarLimitType::impedance75:
        case CopperScalarLimitType::impedance93:
        case CopperScalarLimitType::impedance100:
        case CopperScalarLimitType::impedance120:
        case CopperScalarLimitType::impedance150: return CopperTestType::imped;
        case CopperScalarLimitType::length: return CopperTestType::length;
        case CopperScalarLimitType::propDelay: return CopperTestType::delay;
        case CopperScalarLimitType::delaySkew: return CopperTestType::skew;
        case CopperScalarLimitType::unbalancePercent:
        case CopperScalarLimitType::unbalanceOhm: return CopperTestType::unbalance;
        case CopperScalarLimitType::p2pUnbalancePercent:
        case CopperScalarLimitType::p2pUnbalanceOhm: return CopperTestType::p2pUnbalance;
        default: return CopperTestType::none;
    }
}

int scalarLimitNominalOhms(CopperScalarLimitType t) {
    switch (t) {
        case CopperScalarLimitType::impedance50: return 50;
        case CopperScalarLimitType::impedance52: return 52;
        case CopperScalarLimitType::impedance75: return 75;
        case CopperScalarLimitType::impedance93: return 93;
        case CopperScalarLimitType::impedance100: return 100;
        case CopperScalarLimitType::impedance120: return 120;
        case CopperScalarLimitType::impedance150: return 150;
        default: return 0;
    }
}

PairCombo pairComboOf(WirePair src, WirePair rcv) {
    const int s = static_cast<int>(src);
    const int r = static_cast<int>(rcv);
    if (s < 1 || s > 4 || r < 1 || r > 4) return PairCombo::any;
    if (s == r) return static_cast<PairCombo>(s);
    // Combinations run 5.. in order (1,2) (1,3) (1,4) (2,1) (2,3) ...: three per source pair.
    const int rank = r < s ? r - 1 : r - 2;
    return static_cast<PairCombo>(5 + (s - 1) * 3 + rank);
}

}  // namespace Kestrix
