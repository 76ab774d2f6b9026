#include "copper/LimitDbBuilders.h"

#include "CopperLimits.h"

namespace kx::test {

std::vector<Kestrix::CopperLimit> limitDbLimits() { return Kestrix::LinkGen::limitDatabase(); }

}  // namespace kx::test
