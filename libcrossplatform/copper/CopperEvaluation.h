#pragma once
// Steps of a copper test's re-evaluation against its limit (internal to recertify; exposed for tests).
#include <cstdint>
#include <functional>
#include <vector>

#include "copper/CopperLimit.h"
#include "copper/CopperPlotIndex.h"
#include "copper/CopperTest.h"

namespace Kestrix::Evaluation {

// The copper test type whose plots a limit curve judges (NONE and unknown types give none).
CopperTestType testTypeOf(CopperFreqLimitType t);

// Re-checks every scalar against the scalar limits; returns the merge of the statuses it set
// (notSet when the test has no limit).
Status evaluateScalars(CopperTest& test);

// Empties and rebuilds the frequency records from the plots and limit curves. Needs a limit. A test whose
// curves and plots would make more records than any real limit (see freqRecordsWithinBounds) is left as
// it is, and false returned.
bool rebuildFreqRecords(CopperTest& test);
// False when the test's limit curves meet its plots in more records (or more samples to judge) than any
// real limit does: such a test is crafted, and is refused as invalid data when read. True without a limit.
bool freqRecordsWithinBounds(const CopperTest& test);

// Finds the first plot with these keys (CopperPlots::findPlot, or a CopperPlotIndex for many look-ups).
using PlotFinder = std::function<const CopperPlot*(CopperTestType, CableEnd, WirePair, WirePair)>;
// CopperTest::getLimitEnforced() with the reference plot found through `find`, the mask cut to `maxLength`
// entries.
bool limitEnforced(const CopperTest& test, const PlotFinder& find, CopperTestType type, CableEnd end, WirePair src,
                   WirePair rcv, std::vector<uint16_t>& mask, size_t maxLength = SIZE_MAX);

// Judges one plot against one curve with a rule mask (empty: enforced everywhere) into `record`.
void evaluateRecord(CopperFreq& record, const CopperPlot& plot, const CopperFreqLimit& curve,
                    const std::vector<uint16_t>& mask, CopperLimit::NextStatusType nextStatusType);

// The overall verdict from the wiremap, the scalars, the frequency records and the required curves.
Status overallStatus(const CopperTest& test);

}  // namespace Kestrix::Evaluation
