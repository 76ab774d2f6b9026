#pragma once
// Copper limits for tests, fuzz seeds, samples and benchmarks: a realistic category 6A permanent-link limit
// and the pieces it is made of.
#include <cstdint>
#include <functional>
#include <vector>

#include "copper/CopperLimit.h"

namespace kx::test {

// Highest frequency of the category 6A limit and its number of grid points (indexes 0 to 1067).
inline constexpr int kCat6AMaxKHz = 500000;
int cat6AGridPoints();

// The permanent-link limits in dB at a frequency in MHz.
double cat6APlInsertionLossDb(double mhz);
double cat6APlNextDb(double mhz);
double cat6APlReturnLossDb(double mhz);
double cat6APlAcrFDb(double mhz);

// A curve in tenths of a dB at every grid index up to maxKHz.
std::vector<int16_t> gridCurve(int maxKHz, const std::function<double(double mhz)>& dbAt);

Kestrix::CopperFreqLimit freqLimit(Kestrix::CopperFreqLimitType type, std::vector<int16_t> curve,
                                   std::vector<Kestrix::AccPoint> accPoints = {},
                                   Kestrix::PairCombo pair = Kestrix::PairCombo::any, bool infoOnly = false);
Kestrix::CopperScalarLimit scalarLimit(Kestrix::CopperScalarLimitType type, Kestrix::ScaledInt max,
                                       Kestrix::ScaledInt min = Kestrix::ScaledInt::nan(), bool infoOnly = false);

// "TIA Cat 6A Perm. Link": IL, NEXT and RL curves (generic pair), with accuracy breakpoints; scalar limits
// for length (90.0 m), propagation delay (498 ns), delay skew (44 ns), loop resistance (25.0 ohm),
// resistance unbalance (0.15 ohm / 3.0 %), pair-to-pair unbalance (0.20 ohm / 7.0 %) and 100-ohm
// impedance (80-120 ohm); the 3 dB RL and 4 dB NEXT rules on; database V10.2.
Kestrix::CopperLimit cat6APermanentLinkLimit();

}  // namespace kx::test
