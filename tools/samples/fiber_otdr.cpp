// An OTDR result: a single-mode link tested from end 1 and from end 2 at four wavelengths.
#include <memory>

#include "OtdrTests.h"
#include "ResultFiles.h"
#include "SampleRegistry.h"

namespace {

using namespace Kestrix::LinkGen;

kx::samples::SampleRegistration reg("fiber-otdr.result", [] {
    Kestrix::LinkGen::FiberLinkDesign f;
    f.fiber = FiberKind::os2;
    f.lengthM = 2000.0;
    f.innerConnectors = 1;
    f.splices = 2;
    f.seed = 20261104;
    const FiberLink link(f);
    OtdrSetup design;
    design.wavelengths = {1310, 1490, 1550, 1625};
    TestRun run;
    run.when = 1793710000;
    run.operatorName = operators()[1];
    run.main = testersOf(ModuleKind::otdr)[0];
    run.end1Name = "PP-A 01";
    run.end2Name = "PP-B 01";
    TestRun first = run;
    first.when -= 1800;
    Kestrix::FiberResult r = fiberResult("OTDR-PP-A01", run.when);
    r.addTest(std::make_unique<Kestrix::FiberOtdrTest>(measureOtdr(link, Kestrix::CableEnd::end1, design, first, 1)));
    r.addTest(std::make_unique<Kestrix::FiberOtdrTest>(measureOtdr(link, Kestrix::CableEnd::end2, design, run, 2)));
    return fiberResultFile(r);
});

}  // namespace
