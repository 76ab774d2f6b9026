// Seeds of the fiber record fuzz target: loss/length and power, OTDR from both ends with a span, a fault
// map, a real-time trace and end-face images.
#include <memory>

#include "SeedRegistry.h"
#include "fiber/FiberBuilders.h"
#include "fiber/FiberResultWriter.h"
#include "fiber/OtdrBuilders.h"

namespace {

using namespace Kestrix;

std::vector<uint8_t> fileOf(const FiberResult& r) {
    std::vector<uint8_t> bytes;
    FiberResultWriter::writeResult(r, bytes);
    return bytes;
}

std::vector<uint8_t> otdrEverything() {
    FiberResult r;
    r.summary = kx::test::fiberSummary("OTDR-ALL");
    FiberOtdrTest end1 = kx::test::otdrTest(CableEnd::end1, 48);
    end1.settings.span = FibDbus::OtdrSpan(ScaledInt(2.0f, ScaledInt::tenths), ScaledInt(20.0f, ScaledInt::tenths));
    end1.overallResults.warningFlags = 0x3000F001u;
    r.addTest(std::make_unique<FiberOtdrTest>(end1));
    r.addTest(std::make_unique<FiberOtdrTest>(kx::test::otdrTest(CableEnd::end2, 48)));
    FiberOtdrTest fault = kx::test::otdrTest(CableEnd::end2, 24);
    fault.summary.testType = FiberTestType::faultMap;
    r.addTest(std::make_unique<FiberOtdrTest>(fault));
    FiberOtdrTest live = kx::test::otdrTest(CableEnd::end1, 24);
    live.summary.testType = FiberTestType::realTimeTraceEnd1;
    r.addTest(std::make_unique<FiberOtdrTest>(live));
    r.addTest(std::make_unique<FiberImageTest>(kx::test::imageTest(FiberTestType::imageEnd1)));
    r.addTest(std::make_unique<FiberImageTest>(kx::test::imageTest(FiberTestType::imageEnd2)));
    return fileOf(r);
}

const kx::fuzz::SeedRegistration s1("fuzz_tester_record_fiber", "losslength",
                                    [] { return kx::test::lossLengthResultFile(); });
const kx::fuzz::SeedRegistration s2("fuzz_tester_record_fiber", "otdr-everything", [] { return otdrEverything(); });
// Long enough traces for the SR-4731 series.
const kx::fuzz::SeedRegistration s3("fuzz_tester_record_fiber", "otdr-8000",
                                    [] { return kx::test::otdrResultFile(8000); });

}  // namespace
