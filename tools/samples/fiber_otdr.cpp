// An OTDR result: the same fiber tested from end 1 and from end 2, four wavelengths each.
#include "SampleRegistry.h"
#include "fiber/OtdrBuilders.h"

namespace {
kx::samples::SampleRegistration reg("fiber-otdr.result", [] { return kx::test::otdrResultFile(2000); });
}  // namespace
