#pragma once
// Conversions shared by the fiber side of a record: model values to host parameters and measurements,
// and whole OTDR tests to their host form.
#include <cstdint>

#include "common/DisplayMeas.h"
#include "common/ScaledInt.h"
#include "common/ToleranceMeas.h"
#include "fiber/FiberCheckLimitResult.h"
#include "fiber/FiberTestTypes.h"
#include "tester/host/FiberHostObjects.h"

namespace Kestrix {
class FiberOtdrTest;
class FiberOtdrEventTable;
}  // namespace Kestrix

namespace Kestrix::Tester::FiberRecord {

// A finite value as a double, else NaN.
double number(const ScaledInt& v);
// Host qualifier of a display type: 0 -> 2, 1 -> 1, 2 -> 7, 3 -> 6, 4 -> 5, else 0.
int displayQualifier(DisplayType t);
MeasParam displayParam(MeasKind kind, const DisplayMeas& m, int unit);
MeasParam displayParam(MeasKind kind, const ToleranceMeas& m, int unit);
// A limit value (kind 2 or 3) at its own precision.
MeasParam limitParam(MeasKind kind, const ScaledInt& limit, int unit);

// A measurement of `value` checked against an upper and a lower limit result (either may be null): limit
// and margin parameters for each, status the worse (larger native) of the two, converted.
FiberMeasurement checkedMeasurement(int testId, int measurementType, const MeasParam& value,
                                    const FiberCheckLimitResult* upper, const FiberCheckLimitResult* lower, int unit);

// Host type of a native event type; host splitter ratio of a native ratio (0 for unknown ones).
int hostEventType(int nativeType);
int hostSplitterRatio(int nativeRatio);

// The whole OTDR test as the host sees it, without the host's user edits.
OtdrTest convertOtdrTest(const FiberOtdrTest& test, int hostId);
// The event map table of a test of that native type (the raw table for a fault map).
EventMapTable convertEventMap(const FiberOtdrTest& test, FiberTestType type);
// The traces of a test, without the host's user edits.
OtdrPlotData convertPlots(const FiberOtdrTest& test, int hostId);

}  // namespace Kestrix::Tester::FiberRecord
