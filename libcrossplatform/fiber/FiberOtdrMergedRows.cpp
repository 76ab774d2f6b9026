#include "fiber/FiberOtdrMergedRows.h"

#include "serialization/Assert.h"

namespace Kestrix {

FiberOtdrMergedRows toMergedRows(const FiberOtdrEventTable& et) {
    FiberOtdrMergedRows mergedRows(et.rowCount());
    for (size_t i = 0; i < et.rowCount(); ++i) mergedRows[i].row = et.rows[i];
    for (const auto& event : et.events) {
        KX_ASSERT(event.rowIndex < et.rowCount());
        mergedRows[event.rowIndex].events.push_back(event);
    }
    return mergedRows;
}

FiberOtdrEventTable fromMergedRows(const FiberOtdrMergedRows& mergedRows) {
    FiberOtdrEventTable et;
    et.rows.reserve(mergedRows.size());
    for (size_t i = 0; i < mergedRows.size(); ++i) {
        et.rows.push_back(mergedRows[i].row);
        for (auto e : mergedRows[i].events) {
            e.rowIndex = static_cast<uint32_t>(i);
            et.events.push_back(e);
        }
    }
    return et;
}

WavelengthLosses sumEventLosses(const FiberOtdrMergedRows& mergedRows, size_t startRowIndex, size_t lastRowIndex) {
    KX_ASSERT(startRowIndex <= lastRowIndex);
    KX_ASSERT(lastRowIndex < mergedRows.size());
    WavelengthLosses eventWavelengthLosses;
    for (size_t i = startRowIndex; i <= lastRowIndex; ++i) {
        for (const auto& e : mergedRows[i].events) {
            auto it = eventWavelengthLosses.find(e.wavelength);
            if (it == eventWavelengthLosses.end())
                eventWavelengthLosses.emplace(e.wavelength, e.lossTolMeas.value);
            else
                it->second = it->second + e.lossTolMeas.value;
        }
    }
    return eventWavelengthLosses;
}

const ScaledInt& lossOf(const WavelengthLosses& eventWavelengthLosses, uint16_t wavelength) {
    auto itWavelength = eventWavelengthLosses.find(wavelength);
    KX_ASSERT(itWavelength != eventWavelengthLosses.end());
    return itWavelength->second;
}

bool anyEventHasFlag(const FiberOtdrMergedRows& mergedRows, size_t startRowIndex, size_t lastRowIndex, uint32_t flag) {
    KX_ASSERT(startRowIndex <= lastRowIndex);
    KX_ASSERT(lastRowIndex < mergedRows.size());
    for (size_t i = startRowIndex; i <= lastRowIndex; ++i)
        for (const auto& e : mergedRows[i].events)
            if (isAnEventType(e.anEventTypeFlags, flag)) return true;
    return false;
}

}  // namespace Kestrix
