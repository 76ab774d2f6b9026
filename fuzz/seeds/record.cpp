// Seeds of the test record fuzz target: result files of every kind the builders make.
#include <memory>

#include "SeedRegistry.h"
#include "copper/CopperBuilders.h"
#include "fiber/FiberBuilders.h"
#include "fiber/FiberResultWriter.h"
#include "fiber/OtdrBuilders.h"

namespace {

std::vector<uint8_t> fiberFile(const Kestrix::FiberResult& r) {
    std::vector<uint8_t> bytes;
    Kestrix::FiberResultWriter::writeResult(r, bytes);
    return bytes;
}

// The end-2 OTDR test alone, short traces, and an end-face image: the host id 33 fallback and raw data.
std::vector<uint8_t> otdrEnd2WithImage() {
    Kestrix::FiberResult r;
    r.summary = kx::test::fiberSummary("OTDR-2");
    r.addTest(std::make_unique<Kestrix::FiberOtdrTest>(kx::test::otdrTest(Kestrix::CableEnd::end2, 32)));
    r.addTest(std::make_unique<Kestrix::FiberImageTest>(kx::test::imageTest(Kestrix::FiberTestType::imageEnd1)));
    return fiberFile(r);
}

const kx::fuzz::SeedRegistration s1("fuzz_tester_record_core", "losslength",
                                    [] { return kx::test::lossLengthResultFile(); });
const kx::fuzz::SeedRegistration s2("fuzz_tester_record_core", "otdr-end2-image", [] { return otdrEnd2WithImage(); });
const kx::fuzz::SeedRegistration s3("fuzz_tester_record_core", "cat6a", [] { return kx::test::cat6AResultFile(); });

}  // namespace
