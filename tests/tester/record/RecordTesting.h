#pragma once
// What the record test files share: the result-file fixtures, golden documents, the model's names and the
// record read from a result.
#include "core/Golden.h"
#include "tester/RecordFixtures.h"

using namespace Kestrix;
using namespace Kestrix::Tester;

inline TestRecordTarvel recordOf(const FiberResult& result) { return TestRecordTarvel(kx::test::fiberFile(result)); }
inline TestRecordTarvel recordOf(const CopperTestPtr& test) { return TestRecordTarvel(kx::test::copperFile(test)); }
