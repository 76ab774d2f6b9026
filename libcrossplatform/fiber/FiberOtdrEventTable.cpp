#include "fiber/FiberOtdrEventTable.h"

#include <algorithm>
#include <cstdint>

#include "serialization/Assert.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

namespace {

// The row before a removed group end closes the group; the row after a removed group start opens it.
void closeGroupOn(HiddenGroupMarker& before) {
    if (before == HiddenGroupMarker::notSet)
        before = HiddenGroupMarker::end;
    else if (before == HiddenGroupMarker::begin)
        before = HiddenGroupMarker::notSet;
}

void openGroupOn(HiddenGroupMarker& after) {
    if (after == HiddenGroupMarker::notSet)
        after = HiddenGroupMarker::begin;
    else if (after == HiddenGroupMarker::end)
        after = HiddenGroupMarker::notSet;
}
}  // namespace

const FiberOtdrEventTableRow& FiberOtdrEventTable::getRowByIndex(size_t rowIndex) const {
    KX_ASSERT(rowIndex < rowCount());
    return rows[rowIndex];
}

FiberOtdrEventTableRow& FiberOtdrEventTable::getRowByIndex(size_t rowIndex) {
    KX_ASSERT(rowIndex < rowCount());
    return rows[rowIndex];
}

const FiberOtdrEvent& FiberOtdrEventTable::getEventByIndex(size_t eventIndex) const {
    KX_ASSERT(eventIndex < eventCount());
    return events[eventIndex];
}

FiberOtdrEvent& FiberOtdrEventTable::getEventByIndex(size_t eventIndex) {
    KX_ASSERT(eventIndex < eventCount());
    return events[eventIndex];
}

const FiberOtdrEvent* FiberOtdrEventTable::getEvent(int wavelength, unsigned rowIndex) const {
    for (const auto& e : events)
        if (static_cast<int>(e.wavelength) == wavelength && e.rowIndex == rowIndex) return &e;
    return nullptr;
}

FiberOtdrEvent* FiberOtdrEventTable::getEvent(int wavelength, unsigned rowIndex) {
    return const_cast<FiberOtdrEvent*>(static_cast<const FiberOtdrEventTable*>(this)->getEvent(wavelength, rowIndex));
}

const FiberOtdrEvent* FiberOtdrEventTable::getEventWithAnEventTypeFlags(int wavelength, unsigned flags, unsigned mask,
                                                                        bool last) const {
    const unsigned m = mask == 0 ? flags : mask;
    const FiberOtdrEvent* found = nullptr;
    for (const auto& e : events) {
        if (static_cast<int>(e.wavelength) != wavelength || (e.anEventTypeFlags & m) != flags) continue;
        if (!last) return &e;
        found = &e;
    }
    return found;
}

boost::container::flat_set<uint16_t> FiberOtdrEventTable::getWavelengths() const {
    boost::container::flat_set<uint16_t> out;
    for (const auto& e : events) out.insert(e.wavelength);
    return out;
}

std::vector<uint32_t> FiberOtdrEventTable::eventFlagsOfRow(size_t rowIndex) const {
    std::vector<uint32_t> flags;
    for (const auto& e : events)
        if (e.rowIndex == rowIndex) flags.push_back(e.anEventTypeFlags);
    return flags;
}

std::vector<std::vector<size_t>> FiberOtdrEventTable::eventsByRow() const {
    std::vector<std::vector<size_t>> byRow(rows.size());
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i].rowIndex < rows.size()) byRow[events[i].rowIndex].push_back(i);
    return byRow;
}

size_t FiberOtdrEventTable::hiddenGroupCount() const {
    return static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](const FiberOtdrEventTableRow& r) {
        return r.hiddenGroupMarker == HiddenGroupMarker::begin;
    }));
}

namespace {
size_t nthMarker(const std::vector<FiberOtdrEventTableRow>& rows, HiddenGroupMarker marker, size_t n) {
    size_t found = 0;
    size_t seen = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].hiddenGroupMarker != marker) continue;
        found = i;
        if (seen++ == n) return i;
    }
    return found;
}
}  // namespace

size_t FiberOtdrEventTable::getFirstRowIndexOfHiddenGroup(size_t n) const {
    return nthMarker(rows, HiddenGroupMarker::begin, n);
}

size_t FiberOtdrEventTable::getLastRowIndexOfHiddenGroup(size_t n) const {
    return nthMarker(rows, HiddenGroupMarker::end, n);
}

boost::optional<size_t> FiberOtdrEventTable::getFirstRowOfGroup(size_t rowIndex) const {
    boost::optional<size_t> begin;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto m = rows[i].hiddenGroupMarker;
        if (m == HiddenGroupMarker::begin && !begin) {
            begin = i;
        } else if (m == HiddenGroupMarker::end && begin) {
            if (*begin <= rowIndex && rowIndex <= i) return begin;
            begin = boost::none;
        }
    }
    return boost::none;
}

boost::optional<size_t> FiberOtdrEventTable::getLastRowOfGroup(size_t rowIndex) const {
    auto first = getFirstRowOfGroup(rowIndex);
    if (!first) return boost::none;
    for (size_t i = *first; i < rows.size(); ++i)
        if (rows[i].hiddenGroupMarker == HiddenGroupMarker::end) return i;
    return boost::none;
}

boost::optional<size_t> FiberOtdrEventTable::firstRowAtOrAfter(const ScaledInt& distance) const {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].lengthTolMeas.value >= distance) return i;
    return boost::none;
}

boost::optional<size_t> FiberOtdrEventTable::lastRowAtOrBefore(const ScaledInt& distance) const {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].lengthTolMeas.value > distance) {
            if (i == 0) return boost::none;
            return i - 1;
        }
    }
    if (rows.empty()) return boost::none;
    return rows.size() - 1;
}

std::pair<size_t, size_t> FiberOtdrEventTable::getSpanRows(const FibDbus::OtdrSpan& spanParams) const {
    KX_ASSERT_MSG(rows.size() > 0, "_rows.size() > 0");
    KX_ASSERT_MSG(spanParams.spanStart <= spanParams.spanEnd, "spanParams.spanStart <= spanParams.spanEnd");
    auto spanStartRowIndex = firstRowAtOrAfter(spanParams.spanStart);
    auto spanEndRowIndex = lastRowAtOrBefore(spanParams.spanEnd);
    KX_ASSERT_MSG(spanStartRowIndex, "spanStartRowIndex");
    KX_ASSERT_MSG(spanEndRowIndex, "spanEndRowIndex");
    return {*spanStartRowIndex, *spanEndRowIndex};
}

boost::optional<std::pair<size_t, size_t>> FiberOtdrEventTable::findSpanRows(
    const FibDbus::OtdrSpan& spanParams) const {
    if (rows.empty() || !spanParams.isSet() || !(spanParams.spanStart <= spanParams.spanEnd)) return boost::none;
    auto startRow = firstRowAtOrAfter(spanParams.spanStart);
    auto endRow = lastRowAtOrBefore(spanParams.spanEnd);
    if (!startRow || !endRow) return boost::none;
    return std::make_pair(*startRow, *endRow);
}

void FiberOtdrEventTable::removeRows(size_t first, size_t last) {
    if (rows.empty() || first >= rows.size()) return;
    if (last == 0) last = first;
    if (last >= rows.size()) last = rows.size() - 1;
    if (last < first) return;

    // A group cut at its start or end is closed or opened again on the neighbouring row.
    if (first > 0) {
        for (size_t i = first; i <= last; ++i) {
            const auto m = rows[i].hiddenGroupMarker;
            if (m == HiddenGroupMarker::begin) break;
            if (m == HiddenGroupMarker::end) {
                closeGroupOn(rows[first - 1].hiddenGroupMarker);
                break;
            }
        }
    }
    if (last + 1 < rows.size()) {
        for (size_t i = last + 1; i-- > first;) {
            const auto m = rows[i].hiddenGroupMarker;
            if (m == HiddenGroupMarker::end) break;
            if (m == HiddenGroupMarker::begin) {
                openGroupOn(rows[last + 1].hiddenGroupMarker);
                break;
            }
        }
    }

    const size_t removed = last - first + 1;
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    events.erase(std::remove_if(events.begin(), events.end(),
                                [&](const FiberOtdrEvent& e) { return e.rowIndex >= first && e.rowIndex <= last; }),
                 events.end());
    for (auto& e : events)
        if (e.rowIndex > last) e.rowIndex -= static_cast<uint32_t>(removed);
}

void FiberOtdrEventTable::removeRowsInOrder(const std::vector<size_t>& order) {
    // The rows still present form a linked list, so each removal sees its neighbours of that moment.
    constexpr size_t kNone = SIZE_MAX;
    const size_t n = rows.size();
    std::vector<size_t> prev(n), next(n);
    for (size_t i = 0; i < n; ++i) {
        prev[i] = i == 0 ? kNone : i - 1;
        next[i] = i + 1 < n ? i + 1 : kNone;
    }
    std::vector<bool> gone(n, false);
    size_t removed = 0;
    for (size_t q : order) {
        if (q >= n || gone[q]) continue;
        const auto m = rows[q].hiddenGroupMarker;
        if (m == HiddenGroupMarker::end && prev[q] != kNone) closeGroupOn(rows[prev[q]].hiddenGroupMarker);
        if (m == HiddenGroupMarker::begin && next[q] != kNone) openGroupOn(rows[next[q]].hiddenGroupMarker);
        if (prev[q] != kNone) next[prev[q]] = next[q];
        if (next[q] != kNone) prev[next[q]] = prev[q];
        gone[q] = true;
        ++removed;
    }
    if (removed == 0) return;

    std::vector<uint32_t> newIndex(n);
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i) {
        newIndex[i] = static_cast<uint32_t>(kept);
        if (!gone[i]) {
            if (kept != i) rows[kept] = std::move(rows[i]);
            ++kept;
        }
    }
    rows.resize(kept);
    events.erase(std::remove_if(events.begin(), events.end(),
                                [&](const FiberOtdrEvent& e) { return e.rowIndex < n && gone[e.rowIndex]; }),
                 events.end());
    for (auto& e : events)
        e.rowIndex = e.rowIndex < n ? newIndex[e.rowIndex] : e.rowIndex - static_cast<uint32_t>(removed);
}

void FiberOtdrEventTable::recomputeRowType(size_t rowIndex) {
    const EventType t = otdrEventType(eventFlagsOfRow(rowIndex));
    if (t != EventType::unknown) getRowByIndex(rowIndex).eventType = t;
}

FiberOtdrEventTable FiberOtdrEventTable::createEventMap() const {
    // Rows are marked in the order they would be removed one by one, then removed in one pass.
    FiberOtdrEventTable map = *this;
    const size_t n = map.rowCount();
    std::vector<size_t> order;
    std::vector<bool> removed(n, false);
    auto remove = [&](size_t i) {
        order.push_back(i);
        removed[i] = true;
    };
    if (n > 1) {
        for (size_t i = 0; i < n; ++i) {
            if (map.rows[i].displayEventType() == EventType::noSignal) {
                remove(i);
                break;
            }
        }
    }
    for (size_t i = n; i-- > 0;)
        if (!removed[i] && map.rows[i].displayEventType() == EventType::echo) remove(i);

    const auto byRow = map.eventsByRow();
    bool lastSeen = false;
    for (size_t i = n; i-- > 0;) {
        if (removed[i]) continue;
        const EventType t = map.rows[i].displayEventType();
        const bool endLike = t == EventType::end || t == EventType::hiddenEnd;
        if (!endLike && t != EventType::weakSignal && t != EventType::outOfRange) continue;
        if (!lastSeen) {
            lastSeen = true;
            continue;
        }
        if (!endLike) {
            remove(i);
            continue;
        }
        KX_ASSERT_MSG(map.rows[i].userOverride == boost::none, "_userOverrideEventType == boost::none");
        std::vector<uint32_t> flags;
        flags.reserve(byRow[i].size());
        for (size_t k : byRow[i]) {
            map.events[k].anEventTypeFlags &= ~16u;
            flags.push_back(map.events[k].anEventTypeFlags);
        }
        map.rows[i].eventType = otdrEventType(flags);
    }
    map.removeRowsInOrder(order);
    return map;
}

void FiberOtdrEventTable::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrEventTable);
    h.serialize(w);
    Marshal::writeList<uint16_t>(w, rows);
    Marshal::writeList<uint16_t>(w, events);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrEventTable::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrEventTable)) return st;
    clear();
    if (auto st = Marshal::readList<uint16_t>(r, rows, FiberOtdrEventTableRow::kMinWireSize))
        return h.finishRead(r, st);
    auto readEvent = [this](Marshal::IObjectReader& in, FiberOtdrEvent& e) {
        if (auto st = e.deserialize(in)) return st;
        return e.rowIndex < rows.size() ? Marshal::ok : Marshal::invalidData;
    };
    if (auto st = Marshal::readList<uint16_t>(r, events, FiberOtdrEvent::kMinWireSize, readEvent))
        return h.finishRead(r, st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrEventTable::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberOtdrEventTable");
    f.line("rows");
    f.indent();
    f.line(" Location (m)         Type   BaseType    Status Hidden group");
    for (const auto& row : rows) row.dump(f, flags);
    f.unindent();
    f.line("events");
    f.indent();
    f.line(" Loc (m) row  Wl         Type          S Grade   Loss S S  Reflect S S   Attn S S BsPrior PropTime");
    for (const auto& e : events) e.dump(f, flags);
    f.unindent();
}

Json::Value FiberOtdrEventTable::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrEventTable";
    j["_classVersion"] = Marshal::TypeIds::FiberOtdrEventTable.version;
    if (flags.detail == 0) return j;
    Json::Value rowArray(Json::arrayValue);
    const auto byRow = eventsByRow();
    for (size_t i = 0; i < rows.size(); ++i) {
        Json::Value row = rows[i].toJson(flags);
        Json::Value rowEvents(Json::arrayValue);
        for (size_t k : byRow[i]) rowEvents.append(events[k].toJson(flags));
        row["events"] = std::move(rowEvents);
        rowArray.append(std::move(row));
    }
    j["rows"] = rowArray;
    return j;
}

}  // namespace Kestrix
