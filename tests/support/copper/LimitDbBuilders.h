#pragma once
// The limits of a sample copper limit database: category 5e, 6 and 6A permanent link and channel, an ISO
// class and a coax limit, all from one database version (V10.2).
#include <vector>

#include "copper/CopperLimit.h"

namespace kx::test {

// In database order; the category 6A permanent link is cat6APermanentLinkLimit().
std::vector<Kestrix::CopperLimit> limitDbLimits();

}  // namespace kx::test
