// Fiber sample files: a loss/length result and bare fiber objects.
#include <memory>
#include <stdexcept>

#include "FiberLimits.h"
#include "LossLength.h"
#include "ResultFiles.h"
#include "SampleRegistry.h"
#include "common/ResultEnvelope.h"
#include "fiber/FiberResultReader.h"

namespace {

using namespace Kestrix::LinkGen;

// Written here and read back, so that a sample never holds a file the reader would refuse.
std::vector<uint8_t> lossLengthFile() {
    FiberLinkDesign f;
    f.fiber = FiberKind::om3;
    f.lengthM = 148.3;
    f.innerConnectors = 1;
    f.seed = 20261105;
    const FiberLink link(f);
    TestRun run;
    run.when = 1793720000;
    run.operatorName = operators()[2];
    run.main = testersOf(ModuleKind::lossSet)[0];
    run.remote = testersOf(ModuleKind::lossSet)[1];
    run.end1Name = "MDF-A";
    run.end2Name = "IDF-3";
    TestRun before = run;
    before.when -= 300;
    Kestrix::FiberResult r = fiberResult("LL-0042", run.when);
    r.addTest(std::make_unique<Kestrix::FiberLossLengthTest>(measureLossLength(link, run, 1)));
    r.addTest(std::make_unique<Kestrix::FiberPowerMeterTest>(measurePower(link, Kestrix::CableEnd::end1, before, 2)));
    const auto bytes = fiberResultFile(r);
    Kestrix::FiberResult back;
    if (Kestrix::FiberResultReader::readResult(back, bytes.data(), static_cast<uint32_t>(bytes.size())) !=
        Kestrix::ResultReaderStatus::success)
        throw std::runtime_error("the loss/length sample does not read back");
    return bytes;
}

const kx::samples::SampleRegistration lossLength("fiber-losslength.result", lossLengthFile);
const kx::samples::SampleRegistration fiber("fiber-om3.bin",
                                            [] { return Kestrix::serializeToBytes(fiberRecord(FiberKind::om3)); });
const kx::samples::SampleRegistration limit("fiberlimit-tia-mm.bin", [] {
    return Kestrix::serializeToBytes(lossLengthLimit(Kestrix::FiberMode::multimode));
});

}  // namespace
