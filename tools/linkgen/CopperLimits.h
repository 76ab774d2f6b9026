#pragma once
// Copper test limits made from the standards' formulas: the curves on the tester's frequency grid with the
// tester's accuracy, the dB rules, the scalar limits, and the limit database the tester carries.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CopperFormulas.h"
#include "copper/CopperLimit.h"

namespace Kestrix::LinkGen {

// "TIA Cat 6A Perm. Link", "ISO11801 Channel Class EA", ...
std::string limitName(const Grade& g);
Grade gradeOfLimit(const std::string& name, bool& found);

// The limit of that grade: IL, NEXT, PSNEXT, ACR-F, PSACR-F and RL curves (ACR-N and PSACR-N for ISO), the
// 3 dB and 4 dB rules, length, delay, skew, loop resistance and resistance unbalance limits.
CopperLimit twistedPairLimit(const Grade& g);
// RG6 75-ohm coax up to 1 GHz: insertion loss, length and loop resistance.
CopperLimit coaxLimit();
inline constexpr const char* kCoaxLimitName = "Coax RG6 75 Ohm";
// Insertion loss of 100 m of RG6 at a frequency in MHz (typical cable: the limit allows 10 % more).
double rg6InsertionLossDb(double mhz);

// The limits of the sample limit database, in database order: category 5e, 6 and 6A permanent link and
// channel, class EA permanent link and channel, and the coax limit; all of database version V10.2.
std::vector<CopperLimit> limitDatabase();

// A curve in tenths of a dB at every grid index up to maxKHz.
std::vector<int16_t> gridCurve(int maxKHz, const std::function<double(double mhz)>& dbAt);

}  // namespace Kestrix::LinkGen
