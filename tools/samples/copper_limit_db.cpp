// A sample copper limit database, "culim.mnts" (its folder is the samples folder): limits made from the
// standards' formulas.
#include "CopperLimits.h"
#include "SampleRegistry.h"
#include "tester/db/CopperLimitsTbl.h"

namespace {

const kx::samples::SampleRegistration culim(Kestrix::Tester::CopperLimitsTbl::kFileName, [] {
    std::vector<Kestrix::Tester::CopperLimitsTbl::Row> rows;
    int64_t key = 1;
    for (const Kestrix::CopperLimit& l : Kestrix::LinkGen::limitDatabase())
        rows.push_back(Kestrix::Tester::CopperLimitsTbl::rowOf(key++, l));
    return Kestrix::Tester::CopperLimitsTbl::writeDatabase(rows);
});

}  // namespace
