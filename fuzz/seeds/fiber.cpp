// Seeds of the fiber fuzz targets: a loss/length result file, fibers and limits.
#include <cstdint>
#include <vector>

#include "SeedRegistry.h"
#include "common/ResultEnvelope.h"
#include "fiber/FiberBuilders.h"

namespace {

using kx::fuzz::SeedRegistration;

const SeedRegistration result("fuzz_fiber_result", "losslength", [] { return kx::test::lossLengthResultFile(); });
const SeedRegistration mm("fuzz_fiber", "om3", [] { return Kestrix::serializeToBytes(kx::test::multimodeFiber()); });
const SeedRegistration sm("fuzz_fiber", "os2", [] { return Kestrix::serializeToBytes(kx::test::singlemodeFiber()); });
const SeedRegistration ll("fuzz_fiber_limit", "tia-mm",
                          [] { return Kestrix::serializeToBytes(kx::test::lossLengthLimit()); });
const SeedRegistration img("fuzz_fiber_limit", "image",
                           [] { return Kestrix::serializeToBytes(kx::test::imageLimit()); });

}  // namespace
