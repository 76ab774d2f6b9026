// Copper sample files: a category 6A permanent link measured on a modelled link.
#include "CopperLink.h"
#include "ResultFiles.h"
#include "SampleRegistry.h"

namespace {

using namespace Kestrix::LinkGen;

const kx::samples::SampleRegistration cat6a("copper-cat6a.result", [] {
    CopperLinkDesign s;
    s.grade = {Category::cat6A, Standard::tia, LinkClass::permanentLink};
    s.shielded = true;
    s.lengthM = 62.5;
    s.seed = 20261103;
    TestRun run;
    run.when = 1793700000;
    run.operatorName = operators().front();
    run.main = testersOf(ModuleKind::copper)[0];
    run.remote = testersOf(ModuleKind::copper)[1];
    return copperResultFile(measureCopperLink(s, run), "Cat6A-PL-001");
});

}  // namespace
