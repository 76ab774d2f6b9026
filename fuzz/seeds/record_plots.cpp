// Seeds of the record plots fuzz target: an OTDR result, the category 6A copper result and a loss/length
// result (no plots).
#include "SeedRegistry.h"
#include "copper/CopperBuilders.h"
#include "fiber/FiberBuilders.h"
#include "fiber/OtdrBuilders.h"

namespace {

const kx::fuzz::SeedRegistration s1("fuzz_tester_record_plots", "otdr", [] { return kx::test::otdrResultFile(500); });
const kx::fuzz::SeedRegistration s2("fuzz_tester_record_plots", "cat6a", [] { return kx::test::cat6AResultFile(); });
const kx::fuzz::SeedRegistration s3("fuzz_tester_record_plots", "losslength",
                                    [] { return kx::test::lossLengthResultFile(); });

}  // namespace
