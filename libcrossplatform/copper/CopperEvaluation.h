#pragma once
// Steps of a copper test's re-evaluation against its limit (internal to recertify; exposed for tests).
#include <cstdint>
#include <vector>

#include "copper/CopperLimit.h"
#include "copper/CopperTest.h"

namespace Kestrix::Evaluation {

// The copper test type whose plots a limit curve judges (NONE and unknown types give none).
CopperTestType testTypeOf(CopperFreqLimitType t);

// Re-checks every scalar against the scalar limits; returns the merge of the statuses it set
// (notSet when the test has no limit).
Status evaluateScalars(CopperTest& test);

// Empties and rebuilds the frequency records from the plots and limit curves. Needs a limit.
void rebuildFreqRecords(CopperTest& test);

// Judges one plot against one curve with a rule mask (empty: enforced everywhere) into `record`.
void evaluateRecord(CopperFreq& record, const CopperPlot& plot, const CopperFreqLimit& curve,
                    const std::vector<uint16_t>& mask, CopperLimit::NextStatusType nextStatusType);

// The overall verdict from the wiremap, the scalars, the frequency records and the required curves.
Status overallStatus(const CopperTest& test);

}  // namespace Kestrix::Evaluation
