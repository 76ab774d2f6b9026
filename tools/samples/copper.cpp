// Copper sample files.
#include "SampleRegistry.h"
#include "copper/CopperBuilders.h"

namespace {
const kx::samples::SampleRegistration cat6a("copper-cat6a.result", [] { return kx::test::cat6AResultFile(); });
}  // namespace
