#pragma once
// Working form of an event table while tables are merged: each row with its own events.
#include <cstdint>
#include <vector>

#include <boost/container/flat_map.hpp>

#include "fiber/FiberOtdrEventTable.h"

namespace Kestrix {

struct FiberOtdrMergedRow {
    FiberOtdrEventTableRow row;
    std::vector<FiberOtdrEvent> events;
};

using FiberOtdrMergedRows = std::vector<FiberOtdrMergedRow>;

// Rows in order, each with its events in table order.
FiberOtdrMergedRows toMergedRows(const FiberOtdrEventTable& et);
// Back to a table: rows in order, events renumbered to their row's new index.
FiberOtdrEventTable fromMergedRows(const FiberOtdrMergedRows& mergedRows);

using WavelengthLosses = boost::container::flat_map<uint16_t, ScaledInt>;
// Loss per wavelength summed over the rows startRowIndex..lastRowIndex.
WavelengthLosses sumEventLosses(const FiberOtdrMergedRows& mergedRows, size_t startRowIndex, size_t lastRowIndex);
// The summed loss of a wavelength the map must hold.
const ScaledInt& lossOf(const WavelengthLosses& eventWavelengthLosses, uint16_t wavelength);
// Whether an event of the rows startRowIndex..lastRowIndex carries all bits of `flag`.
bool anyEventHasFlag(const FiberOtdrMergedRows& mergedRows, size_t startRowIndex, size_t lastRowIndex, uint32_t flag);

}  // namespace Kestrix
