#pragma once
// The limits of a sample copper limit database (the generator's, made from the standards' formulas):
// category 5e, 6 and 6A permanent link and channel, class EA permanent link and channel, and a coax limit,
// all from one database version (V10.2).
#include <vector>

#include "copper/CopperLimit.h"

namespace kx::test {

// In database order.
std::vector<Kestrix::CopperLimit> limitDbLimits();

}  // namespace kx::test
