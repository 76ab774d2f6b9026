#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include <boost/container/flat_set.hpp>
#include <boost/optional.hpp>

#include "fiber/FiberOtdrEvent.h"
#include "fiber/OtdrSpan.h"

namespace Kestrix {

// The analysed events of an OTDR trace: rows (one per location) and events (one per location and
// wavelength, each naming its row by index). Invariant: every event's rowIndex is below rowCount().
class FiberOtdrEventTable : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    size_t rowCount() const { return rows.size(); }
    size_t eventCount() const { return events.size(); }
    // Out-of-range indices are programming errors.
    const FiberOtdrEventTableRow& getRowByIndex(size_t rowIndex) const;
    FiberOtdrEventTableRow& getRowByIndex(size_t rowIndex);
    const FiberOtdrEvent& getEventByIndex(size_t eventIndex) const;
    FiberOtdrEvent& getEventByIndex(size_t eventIndex);

    // First event of that wavelength in that row, or null.
    const FiberOtdrEvent* getEvent(int wavelength, unsigned rowIndex) const;
    FiberOtdrEvent* getEvent(int wavelength, unsigned rowIndex);
    // Among the events of the wavelength whose flags masked by `mask` (by `flags` when mask is 0) equal
    // `flags`: the first, or the last one; null if none.
    const FiberOtdrEvent* getEventWithAnEventTypeFlags(int wavelength, unsigned flags, unsigned mask, bool last) const;
    boost::container::flat_set<uint16_t> getWavelengths() const;
    // Flags of every event of the row.
    std::vector<uint32_t> eventFlagsOfRow(size_t rowIndex) const;
    // Indices of each row's events, in event order (one list per row).
    std::vector<std::vector<size_t>> eventsByRow() const;

    // Hidden groups: a run of rows from a "Begin" row to the next "End" row.
    size_t hiddenGroupCount() const;
    // Index of the n-th "Begin" / "End" row; when there is none, the last one found (0 when none at all).
    size_t getFirstRowIndexOfHiddenGroup(size_t n) const;
    size_t getLastRowIndexOfHiddenGroup(size_t n) const;
    // First / last row of the group enclosing the row; none when the row is in no group.
    boost::optional<size_t> getFirstRowOfGroup(size_t rowIndex) const;
    boost::optional<size_t> getLastRowOfGroup(size_t rowIndex) const;

    // First row whose location is >= the distance; none if no row qualifies.
    boost::optional<size_t> firstRowAtOrAfter(const ScaledInt& distance) const;
    // The row before the first row beyond the distance (the last row when none is beyond); none when even
    // the first row lies beyond.
    boost::optional<size_t> lastRowAtOrBefore(const ScaledInt& distance) const;
    // First and last row inside the span. Needs rows, spanStart <= spanEnd and a row on each side
    // (programming errors otherwise; see findSpanRows for data from a file).
    std::pair<size_t, size_t> getSpanRows(const FibDbus::OtdrSpan& spanParams) const;
    // The same, checked: none when the table or the span does not give both rows.
    boost::optional<std::pair<size_t, size_t>> findSpanRows(const FibDbus::OtdrSpan& spanParams) const;

    // Removes rows first..last (last 0: just first; clipped to the table) with their events, keeping the
    // hidden groups around them well formed.
    void removeRows(size_t first, size_t last = 0);
    // Removes the rows named (indices into the table as it is now, each at most once) one after another in
    // that order, each as removeRows() of its row would at its turn, but rebuilding the table only once.
    void removeRowsInOrder(const std::vector<size_t>& order);
    // The simplified table of the event-map display.
    FiberOtdrEventTable createEventMap() const;
    // Recomputes a row's analysed type from its events (kept when they give "Unknown").
    void recomputeRowType(size_t rowIndex);

    void clear() {
        rows.clear();
        events.clear();
    }

    void serialize(Marshal::IObjectWriter& w) const override;
    // Refuses (invalidData) an event whose rowIndex is not below the row count.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<FiberOtdrEventTableRow> rows;
    std::vector<FiberOtdrEvent> events;
};

}  // namespace Kestrix
