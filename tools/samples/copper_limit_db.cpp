// A sample copper limit database, "culim.mnts" (its folder is the samples folder).
#include "SampleRegistry.h"
#include "copper/LimitDbBuilders.h"
#include "tester/db/CopperLimitsTbl.h"

namespace {

const kx::samples::SampleRegistration culim(Kestrix::Tester::CopperLimitsTbl::kFileName, [] {
    std::vector<Kestrix::Tester::CopperLimitsTbl::Row> rows;
    int64_t key = 1;
    for (const Kestrix::CopperLimit& l : kx::test::limitDbLimits())
        rows.push_back(Kestrix::Tester::CopperLimitsTbl::rowOf(key++, l));
    return Kestrix::Tester::CopperLimitsTbl::writeDatabase(rows);
});

}  // namespace
