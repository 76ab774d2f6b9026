#include "fiber/FiberOtdrBidiAvg.h"

// How the bidirectional event table is built
// -------------------------------------------
// Both tables are first reduced to their event maps, rows at equal locations are folded together and bend
// marks are cleared (bends are decided again below from the averaged losses).
//
// Frame. The merged table is in end-1 orientation. Its core is the end-1 rows from the launch row (first
// event flagged "launch", else row 0) to the tail-or-end row; rows before and after the core (the far cord
// and its end) are copied from the end-1 table unchanged. The end-2 core (its launch row, else row 0, up to
// its tail-or-end row) is flipped onto the end-1 axis with x' = a1 + E2 - x, where a1 is the end-1 launch
// location (0 without one) and E2 the end-2 tail-or-end location: the end-2 tail lands on the end-1 launch
// and the end-2 launch on the end-1 tail. Flipping swaps the launch and tail flags and types and the two
// tolerances. End-2 rows outside its core describe its own cords and are left out.
//
// Pairing. Every end-1 core row is scored against every flipped end-2 row whose tolerance intervals overlap
// it; the score rewards close locations relative to the interval widths and a hidden row meeting a visible
// one. The candidates, ordered by end-1 row then end-2 row, go through the chain selection: the chosen
// merges are the highest-scoring set that keeps both tables' row order, so of a near-duplicate pair only
// the better-placed row is matched and the other stays a row of its own.
//
// Rows. A matched row keeps the end-1 location, propagation time and hidden-group marker; its status is
// the worse of the two. Per wavelength, events present on both sides are averaged: loss is the mean of the
// two directions (tolerances the larger), reflectance the worse (higher) of the two, and the check results
// and status come from the direction with the worse status; a non-reflective event whose mean loss is
// negative is a gainer, and a gainer whose mean is not negative becomes a splice. An event seen on one
// side only is kept as it is, so the merged row carries the wavelengths of both tests. When the end-1 row
// is hidden and the end-2 row is not, the visible analysis wins. The row type is recomputed from the merged
// events. Unmatched end-1 rows are kept as they are; unmatched flipped end-2 rows are placed between their
// neighbours by location (clamped so locations never go backwards), with no hidden-group marker; an
// unmatched end-2 launch or end row is skipped, since the end-1 frame already has those points.
//
// Bends. With bend detection on, every non-reflective row away from the launch, tail and end is tested for
// each wavelength pair of the bend threshold map: when the loss at the longer wavelength exceeds the loss at
// the shorter one by more than the threshold, the row and its events become a bend.
//
// Finally hidden groups are made well formed again (a "Begin" closed by the next "End"), user overrides are
// carried over (the end-2 one wins a conflict) and re-applied, and the table must still fit its stored form
// (one-byte row index; longer input tables are refused before pairing). The merged test holds no traces and
// no raw data: they cannot be averaged.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "serialization/LogSink.h"

namespace Kestrix {

namespace {
constexpr const char* kFn = "Kestrix::createBidiTest";
constexpr int32_t kLogFacility = 1;
constexpr int32_t kSeverityErr = 0;
constexpr int32_t kSeverityDebug = 3;
constexpr uint32_t kWarningMask = 0xF554;
constexpr uint32_t kKeptWarnings = 0x350F0800;
constexpr uint32_t kKeptWarningsLoop = 0x310F0800;
// A row folded into the equal row above it passes these event flags on; afterwards an event holding both
// bits of the second mask loses them.
constexpr uint32_t kFoldedEventFlags = 4u | OtdrAnEventType::launch | OtdrAnEventType::tail;
constexpr uint32_t kClearedAfterFolding = 2u | 4u;
constexpr size_t kMaxStoredRows = 256;  // events name their row in one byte

template <typename... Args>
void logf(int32_t severity, const char* format, Args... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, args...);
    Dump::logLine(kLogFacility, severity, buf);
}

double tolerance(float t) { return std::isfinite(t) ? static_cast<double>(t) : 0.0; }

BidiRowPlace placeOf(const FiberOtdrEventTableRow& row) {
    BidiRowPlace place;
    place.p = row.lengthTolMeas.value.toDouble();
    place.lo = place.p - tolerance(row.lengthTolMeas.negTolerance);
    place.hi = place.p + tolerance(row.lengthTolMeas.posTolerance);
    place.hidden = row.displayEventType() == EventType::hidden;
    return place;
}

bool intervalsOverlap(const FiberOtdrEventTableRow& a, const FiberOtdrEventTableRow& b) {
    const BidiRowPlace pa = placeOf(a);
    const BidiRowPlace pb = placeOf(b);
    return pa.lo <= pb.hi && pb.lo <= pa.hi;
}

Status worse(Status a, Status b) { return static_cast<int32_t>(a) >= static_cast<int32_t>(b) ? a : b; }

uint32_t swapLaunchTail(uint32_t flags) {
    const uint32_t launch = flags & OtdrAnEventType::launch;
    const uint32_t tail = flags & OtdrAnEventType::tail;
    flags &= ~(OtdrAnEventType::launch | OtdrAnEventType::tail);
    if (launch) flags |= OtdrAnEventType::tail;
    if (tail) flags |= OtdrAnEventType::launch;
    return flags;
}

EventType swapLaunchTail(EventType t) {
    if (t == EventType::launch) return EventType::tail;
    if (t == EventType::tail) return EventType::launch;
    return t;
}

boost::optional<size_t> firstRowWithFlag(const FiberOtdrEventTable& table, uint32_t flag) {
    for (const auto& e : table.events)
        if (isAnEventType(e.anEventTypeFlags, flag)) return static_cast<size_t>(e.rowIndex);
    return boost::none;
}

bool hasFlag(const FiberOtdrEventTable& table, uint32_t flag) { return firstRowWithFlag(table, flag).has_value(); }

ToleranceMeas meanLoss(const ToleranceMeas& a, const ToleranceMeas& b) {
    if (a.value.isNaN()) return b;
    if (b.value.isNaN()) return a;
    ToleranceMeas m = a + b;  // larger tolerances
    m.value = average(a.value, b.value);
    m.deriveDisplayType();
    return m;
}

bool isNonReflective(uint32_t flags) {
    const uint32_t base = flags & OtdrAnEventType::baseMask;
    return base == OtdrAnEventType::loss || base == OtdrAnEventType::splice || base == OtdrAnEventType::gainer ||
           base == OtdrAnEventType::bend;
}

uint32_t withBase(uint32_t flags, uint32_t base) { return (flags & ~OtdrAnEventType::baseMask) | base; }

FiberOtdrEvent mergeEvents(const FiberOtdrEvent& e1, const FiberOtdrEvent& e2) {
    FiberOtdrEvent e = e1;
    const bool e2Worse = static_cast<int32_t>(e2.status) > static_cast<int32_t>(e1.status);
    if (e2Worse) {
        e.status = e2.status;
        e.limitResults = e2.limitResults;
    }
    if ((e1.anEventTypeFlags & OtdrAnEventType::hidden) && !(e2.anEventTypeFlags & OtdrAnEventType::hidden))
        e.anEventTypeFlags = e2.anEventTypeFlags;
    e.lossTolMeas = meanLoss(e1.lossTolMeas, e2.lossTolMeas);
    e.reflectanceTolMeas = max(e1.reflectanceTolMeas, e2.reflectanceTolMeas);
    if (isNonReflective(e.anEventTypeFlags) && e.lossTolMeas.value.isFinite()) {
        const uint32_t base = e.anEventTypeFlags & OtdrAnEventType::baseMask;
        if (e.lossTolMeas.value.value < 0)
            e.anEventTypeFlags = withBase(e.anEventTypeFlags, OtdrAnEventType::gainer);
        else if (base == OtdrAnEventType::gainer)
            e.anEventTypeFlags = withBase(e.anEventTypeFlags, OtdrAnEventType::splice);
    }
    return e;
}

// Working row of the merge: the row, its events and the user's choice to re-apply at the end.
struct WorkRow {
    FiberOtdrMergedRow merged;
    boost::optional<EventType> override;
};

WorkRow workRow(const FiberOtdrMergedRow& r) {
    WorkRow w{r, r.row.userOverride};
    w.merged.row.userOverride = boost::none;
    return w;
}

void recomputeType(FiberOtdrMergedRow& r) {
    std::vector<uint32_t> flags;
    for (const auto& e : r.events) flags.push_back(e.anEventTypeFlags);
    const EventType t = otdrEventType(flags);
    if (t != EventType::unknown) r.row.eventType = t;
}

WorkRow mergeRows(const FiberOtdrMergedRow& r1, const FiberOtdrMergedRow& r2, size_t index) {
    WorkRow w = workRow(r1);
    FiberOtdrEventTableRow& row = w.merged.row;
    row.rowStatus = worse(r1.row.rowStatus, r2.row.rowStatus);
    if (r1.row.eventType == EventType::hidden && r2.row.eventType != EventType::hidden)
        row.eventType = r2.row.eventType;
    if (r1.row.userOverride && r2.row.userOverride && *r1.row.userOverride != *r2.row.userOverride) {
        logf(kSeverityErr, "Row %zu has conflicting user overrides (%s and %s). Picking the second.", index,
             toString(*r1.row.userOverride), toString(*r2.row.userOverride));
    }
    if (r2.row.userOverride) w.override = r2.row.userOverride;

    std::vector<FiberOtdrEvent> events;
    std::vector<uint16_t> done;
    auto firstOf = [](const std::vector<FiberOtdrEvent>& list, uint16_t wl) -> const FiberOtdrEvent* {
        for (const auto& e : list)
            if (e.wavelength == wl) return &e;
        return nullptr;
    };
    auto addWavelength = [&](uint16_t wl) {
        if (std::find(done.begin(), done.end(), wl) != done.end()) return;
        done.push_back(wl);
        const FiberOtdrEvent* e1 = firstOf(r1.events, wl);
        const FiberOtdrEvent* e2 = firstOf(r2.events, wl);
        if (e1 && e2)
            events.push_back(mergeEvents(*e1, *e2));
        else
            events.push_back(e1 ? *e1 : *e2);
    };
    for (const auto& e : r1.events) addWavelength(e.wavelength);
    for (const auto& e : r2.events) addWavelength(e.wavelength);
    w.merged.events = std::move(events);
    recomputeType(w.merged);
    return w;
}

// The end-2 core flipped onto the end-1 axis, in ascending location; `origin` is a1 + E2.
struct FlippedRow {
    FiberOtdrMergedRow merged;
    size_t sourceIndex;
    bool frame;  // the end-2 launch or end row
};

boost::optional<FlippedRow> flipRow(const FiberOtdrMergedRow& src, const ScaledInt& origin, float originTime,
                                    size_t sourceIndex, bool frame) {
    FlippedRow f{src, sourceIndex, frame};
    auto flipMeas = [&](ToleranceMeas& m) {
        if (m.value.isNaN()) return;
        m.value = origin - m.value;
        std::swap(m.posTolerance, m.negTolerance);
        m.deriveDisplayType();
    };
    FiberOtdrEventTableRow& row = f.merged.row;
    flipMeas(row.lengthTolMeas);
    if (!row.lengthTolMeas.value.isFinite()) return boost::none;
    row.propTime = originTime - row.propTime;
    std::swap(row.propTimePosTol, row.propTimeNegTol);
    row.eventType = swapLaunchTail(row.eventType);
    row.hiddenGroupMarker = HiddenGroupMarker::notSet;
    for (auto& e : f.merged.events) {
        flipMeas(e.lengthTolMeas);
        e.propTime = originTime - e.propTime;
        std::swap(e.propTimePosTol, e.propTimeNegTol);
        e.anEventTypeFlags = swapLaunchTail(e.anEventTypeFlags);
        // The trace of the other direction is not part of the merged test.
        e.plotIndex = 0;
        e.prevUsableBsPlotIndex = 0;
        e.nextUsableBsPlotIndex = 0;
    }
    return f;
}

// Makes every "Begin" meet its "End": stray markers are dropped.
void normalizeHiddenGroups(std::vector<WorkRow>& rows) {
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t open = kNone;  // a plain index: g++ -O2 misreads an optional here as maybe uninitialised
    for (size_t i = 0; i < rows.size(); ++i) {
        auto& m = rows[i].merged.row.hiddenGroupMarker;
        if (m == HiddenGroupMarker::begin) {
            if (open != kNone)
                m = HiddenGroupMarker::notSet;
            else
                open = i;
        } else if (m == HiddenGroupMarker::end) {
            if (open != kNone)
                open = kNone;
            else
                m = HiddenGroupMarker::notSet;
        }
    }
    if (open != kNone) rows[open].merged.row.hiddenGroupMarker = HiddenGroupMarker::notSet;
}

bool isFrameType(EventType t) {
    return t == EventType::launch || t == EventType::tail || t == EventType::end || t == EventType::hiddenEnd;
}

void markBends(std::vector<WorkRow>& rows, const FiberOtdrSettings& settings) {
    FiberOtdrMergedRows merged;
    merged.reserve(rows.size());
    for (const auto& r : rows) merged.push_back(r.merged);
    for (size_t k = 0; k < merged.size(); ++k) {
        const auto& mr = merged[k];
        if (mr.events.empty() || isFrameType(mr.row.eventType)) continue;
        if (anyEventHasFlag(merged, k, k, OtdrAnEventType::launch) ||
            anyEventHasFlag(merged, k, k, OtdrAnEventType::tail))
            continue;
        if (!std::all_of(mr.events.begin(), mr.events.end(),
                         [](const FiberOtdrEvent& e) { return isNonReflective(e.anEventTypeFlags); }))
            continue;
        const WavelengthLosses losses = sumEventLosses(merged, k, k);
        bool bend = false;
        for (const auto& [pair, threshold] : settings.otdrBendThresholdMap) {
            const WavelengthPair wls = wavelengths(pair);
            if (!threshold.isFinite() || !losses.count(wls.shortWl) || !losses.count(wls.longWl)) continue;
            const ScaledInt& shortLoss = lossOf(losses, wls.shortWl);
            const ScaledInt& longLoss = lossOf(losses, wls.longWl);
            if (!shortLoss.isFinite() || !longLoss.isFinite()) continue;
            if ((longLoss - shortLoss) > threshold) bend = true;
        }
        if (!bend) continue;
        auto& target = rows[k].merged;
        for (auto& e : target.events) e.anEventTypeFlags = withBase(e.anEventTypeFlags, OtdrAnEventType::bend);
        target.row.eventType = EventType::bend;
    }
}

bool sameWavelengths(const FiberOtdrOverallResults& a, const FiberOtdrOverallResults& b) {
    if (a.perWlCount() != b.perWlCount()) return false;
    for (size_t i = 0; i < a.perWlCount(); ++i)
        if (a.perWls()[i].wavelength != b.perWls()[i].wavelength) return false;
    return true;
}

FiberOtdrOverallResults mergeOverall(const FiberOtdrTest& t1, const FiberOtdrTest& t2) {
    const FiberOtdrOverallResults& o1 = t1.overallResults;
    const FiberOtdrOverallResults& o2 = t2.overallResults;
    FiberOtdrOverallResults out = o1;
    out.overallStatus = Status::show;
    out.lengthStatus = Status::show;
    out.overallLossStatus = Status::show;
    out.lengthTolMeas = o1.lengthTolMeas.value < o2.lengthTolMeas.value ? o2.lengthTolMeas : o1.lengthTolMeas;
    const bool loop =
        t2.settings.fiberTestType == TestType::autoVexloop || t2.settings.fiberTestType == TestType::manualVexloop;
    out.warningFlags =
        (o1.warningFlags & kKeptWarnings) | (o2.warningFlags & (loop ? kKeptWarningsLoop : kKeptWarnings));
    out.failWarningFlags = 0;
    const FiberOtdrTest& later = t1.summary.timestamp > t2.summary.timestamp ? t1 : t2;
    out.launchCompTimestamp = later.overallResults.launchCompTimestamp;
    out.launchCompModeUsed = later.overallResults.launchCompModeUsed;
    // The checks were made on one direction's values; the averaged test carries no verdict.
    out.limitResults.results.clear();
    out.headroom = DisplayMeas();
    std::vector<FiberOtdrOverallResultsPerWl> perWls = o1.perWls();
    DisplayMeas worstLoss;
    for (size_t i = 0; i < perWls.size(); ++i) {
        auto& p = perWls[i];
        p.overallLossTolMeas = meanLoss(p.overallLossTolMeas, o2.perWls()[i].overallLossTolMeas);
        p.limitResults.results.clear();
        if (p.overallLossTolMeas.value.isFinite())
            worstLoss.accumulateMax(DisplayMeas(p.overallLossTolMeas.value, DisplayType::normal));
    }
    if (worstLoss.displayType != DisplayType::notAvailable) out.overallLossMeas = worstLoss;
    out.setPerWls(std::move(perWls));
    return out;
}
}  // namespace

const char* describe(OtdrBidiError e) {
    switch (e) {
        case OtdrBidiError::warnings: return "a test carries a signal, fiber, launch or tail warning";
        case OtdrBidiError::endsDontCorrespond: return "the end events of the two tests do not correspond";
        case OtdrBidiError::wavelengthsDiffer: return "the two event tables do not have the same wavelengths";
        case OtdrBidiError::launchWithoutTail: return "an event table has a launch event but no tail event";
        case OtdrBidiError::notBuilt:
            return "the tests were made from the same end, a table has no tail or end, or the merged table "
                   "could not be built";
        case OtdrBidiError::splitter: return "an event table holds a splitter";
        case OtdrBidiError::spanInForce: return "an analysis span is set";
    }
    return "";
}

namespace {
// (wavelength, event index) of the first event of each wavelength of a row, sorted by wavelength.
using WavelengthEvents = std::vector<std::pair<uint16_t, size_t>>;

WavelengthEvents firstEventPerWavelength(const FiberOtdrEventTable& et, const std::vector<size_t>& rowEvents) {
    WavelengthEvents out;
    out.reserve(rowEvents.size());
    for (size_t k : rowEvents) out.emplace_back(et.events[k].wavelength, k);
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    out.erase(std::unique(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              out.end());
    return out;
}
}  // namespace

FiberOtdrEventTable prepareBidiTable(const FiberOtdrEventTable& table) {
    FiberOtdrEventTable et = table.createEventMap();
    const size_t n = et.rowCount();
    const auto byRow = et.eventsByRow();
    // From the bottom up, a row at the location of the row below absorbs it (which has already absorbed
    // its own equals); the absorbed rows go in one pass at the end.
    std::vector<size_t> order;
    WavelengthEvents below = n > 0 ? firstEventPerWavelength(et, byRow[n - 1]) : WavelengthEvents();
    for (size_t i = n >= 2 ? n - 1 : 0; i-- > 0;) {
        WavelengthEvents here = firstEventPerWavelength(et, byRow[i]);
        if (et.rows[i].lengthTolMeas.value == et.rows[i + 1].lengthTolMeas.value) {
            for (const auto& [wl, k] : here) {
                const auto at = std::lower_bound(below.begin(), below.end(), wl,
                                                 [](const auto& entry, uint16_t w) { return entry.first < w; });
                if (at == below.end() || at->first != wl) continue;
                FiberOtdrEvent& e = et.events[k];
                const FiberOtdrEvent& next = et.events[at->second];
                e.anEventTypeFlags |= next.anEventTypeFlags & kFoldedEventFlags;
                e.reflectanceTolMeas = max(e.reflectanceTolMeas, next.reflectanceTolMeas);
                e.lossTolMeas = e.lossTolMeas + next.lossTolMeas;
            }
            order.push_back(i + 1);
        }
        below = std::move(here);
    }
    et.removeRowsInOrder(order);
    for (auto& e : et.events)
        if (isAnEventType(e.anEventTypeFlags, kClearedAfterFolding)) e.anEventTypeFlags &= ~kClearedAfterFolding;
    return et;
}

boost::optional<size_t> tailOrEndRow(const FiberOtdrEventTable& table) {
    if (auto tail = firstRowWithFlag(table, OtdrAnEventType::tail)) return tail;
    for (size_t i = table.rowCount(); i-- > 0;) {
        const EventType t = table.rows[i].displayEventType();
        if (t == EventType::end || t == EventType::hiddenEnd) return i;
    }
    return boost::none;
}

boost::optional<double> bidiScore(const BidiRowPlace& r1, const BidiRowPlace& r2) {
    if (!(r1.lo <= r2.hi && r2.lo <= r1.hi)) return boost::none;
    const double w = (r1.hi - r1.lo) + (r2.hi - r2.lo);
    double score = w > 0 ? (w - std::fabs(r2.p - r1.p)) / w : 1.0;
    if (r1.hidden != r2.hidden) score += 0.4;
    logf(kSeverityDebug, "(%f, %f, %f), (%f, %f, %f), score: %f", r1.lo, r1.p, r1.hi, r2.lo, r2.p, r2.hi, score);
    return score;
}

namespace {
// Best (total, candidate) so far; a higher total wins, and of equal totals the later candidate, which is
// the one a scan from the last candidate down meets first.
struct ChainBest {
    double total = 0;
    size_t index = 0;
    bool set = false;
    bool beats(const ChainBest& o) const {
        return set && (!o.set || total > o.total || (total == o.total && index > o.index));
    }
};

// Maximum over a suffix of end-2 rows, as a Fenwick tree on the reversed order.
class SuffixBest {
public:
    explicit SuffixBest(size_t n) : _tree(n + 1) {}
    // Best among the positions above `pos`.
    ChainBest above(size_t pos) const {
        ChainBest best;
        for (size_t i = _tree.size() - 1 - pos - 1; i > 0; i -= i & (~i + 1))
            if (_tree[i].beats(best)) best = _tree[i];
        return best;
    }
    void offer(size_t pos, const ChainBest& v) {
        for (size_t i = _tree.size() - 1 - pos; i < _tree.size(); i += i & (~i + 1))
            if (v.beats(_tree[i])) _tree[i] = v;
    }

private:
    std::vector<ChainBest> _tree;
};

bool sortedWithBothRows(const std::vector<BidiCandidate>& candidates) {
    for (size_t k = 0; k < candidates.size(); ++k) {
        if (!candidates[k].row1 || !candidates[k].row2) return false;
        if (k > 0 && *candidates[k].row1 < *candidates[k - 1].row1) return false;
    }
    return true;
}

// The direct form, for candidates that lack a row or are out of order (only ever small lists).
void chainTotalsDirect(const std::vector<BidiCandidate>& candidates, std::vector<double>& total,
                       std::vector<boost::optional<size_t>>& link) {
    const size_t n = candidates.size();
    for (size_t k = n; k-- > 0;) {
        total[k] += candidates[k].score;
        const BidiCandidate& c = candidates[k];
        if (!c.row1 || !c.row2) continue;
        for (size_t m = 0; m < k; ++m) {
            const BidiCandidate& e = candidates[m];
            if (e.row1 && !(*e.row1 < *c.row1)) continue;
            if (e.row2 && !(*e.row2 < *c.row2)) continue;
            if (total[k] > total[m]) {
                total[m] = total[k];
                link[m] = k;
            }
        }
    }
}

// The same totals and links for candidates in end-1 row order, each with both rows, in n log n: an
// earlier candidate takes over the best total among the candidates of higher end-1 rows (all later in
// the list) with a higher end-2 row.
void chainTotalsSorted(const std::vector<BidiCandidate>& candidates, std::vector<double>& total,
                       std::vector<boost::optional<size_t>>& link) {
    const size_t n = candidates.size();
    size_t maxRow2 = 0;
    for (const auto& c : candidates) maxRow2 = std::max(maxRow2, *c.row2);
    // End-2 rows are few (a table has at most 256), so they usually serve as positions directly.
    std::vector<size_t> rows2;
    if (maxRow2 >= 4 * n) {
        rows2.reserve(n);
        for (const auto& c : candidates) rows2.push_back(*c.row2);
        std::sort(rows2.begin(), rows2.end());
        rows2.erase(std::unique(rows2.begin(), rows2.end()), rows2.end());
    }
    auto rank = [&](size_t row2) {
        if (rows2.empty()) return row2;
        return static_cast<size_t>(std::lower_bound(rows2.begin(), rows2.end(), row2) - rows2.begin());
    };
    SuffixBest later(rows2.empty() ? maxRow2 + 1 : rows2.size());
    for (size_t groupEnd = n; groupEnd > 0;) {
        size_t groupStart = groupEnd - 1;
        while (groupStart > 0 && *candidates[groupStart - 1].row1 == *candidates[groupEnd - 1].row1) --groupStart;
        for (size_t m = groupEnd; m-- > groupStart;) {
            const ChainBest best = later.above(rank(*candidates[m].row2));
            if (best.set && best.total > 0) {
                total[m] = best.total;
                link[m] = best.index;
            }
            total[m] += candidates[m].score;
        }
        for (size_t m = groupStart; m < groupEnd; ++m) later.offer(rank(*candidates[m].row2), {total[m], m, true});
        groupEnd = groupStart;
    }
}
}  // namespace

std::vector<BidiCandidate> selectMergeChain(const std::vector<BidiCandidate>& candidates) {
    const size_t n = candidates.size();
    std::vector<double> total(n, 0.0);
    std::vector<boost::optional<size_t>> link(n);
    if (sortedWithBothRows(candidates))
        chainTotalsSorted(candidates, total, link);
    else
        chainTotalsDirect(candidates, total, link);
    std::vector<BidiCandidate> chain;
    if (n == 0) return chain;
    size_t start = 0;
    for (size_t k = 1; k < n; ++k)
        if (total[k] > total[start]) start = k;
    for (boost::optional<size_t> at = start; at; at = link[*at]) chain.push_back(candidates[*at]);
    return chain;
}

boost::optional<FiberOtdrEventTable> mergeBidiTables(const FiberOtdrEventTable& end1, const FiberOtdrEventTable& end2,
                                                     const FiberOtdrSettings& settings) {
    // Every end-1 row is kept, so a longer table cannot give a storable result; this also bounds the
    // pairing work on tables from a file.
    if (end1.rowCount() > kMaxStoredRows || end2.rowCount() > kMaxStoredRows) {
        logf(kSeverityErr, "%s, Bad bidi, event table has more than %zu rows.", kFn, kMaxStoredRows);
        return boost::none;
    }
    const auto end1Row = tailOrEndRow(end1);
    const auto end2Row = tailOrEndRow(end2);
    const size_t launch1 = firstRowWithFlag(end1, OtdrAnEventType::launch).value_or(0);
    const size_t launch2 = firstRowWithFlag(end2, OtdrAnEventType::launch).value_or(0);
    if (!end1Row || !end2Row || launch1 > *end1Row || launch2 > *end2Row) {
        logf(kSeverityErr, "%s, Bad bidi, event table didn't flip.", kFn);
        return boost::none;
    }
    const FiberOtdrMergedRows rows1 = toMergedRows(end1);
    const FiberOtdrMergedRows rows2 = toMergedRows(end2);
    const ScaledInt a1 = firstRowWithFlag(end1, OtdrAnEventType::launch)
                             ? rows1[launch1].row.lengthTolMeas.value
                             : ScaledInt::raw(0, rows2[*end2Row].row.lengthTolMeas.value.scaledTo);
    const float a1Time = firstRowWithFlag(end1, OtdrAnEventType::launch) ? rows1[launch1].row.propTime : 0.0f;
    const ScaledInt origin = a1 + rows2[*end2Row].row.lengthTolMeas.value;
    if (!a1.isFinite() || !origin.isFinite()) {
        logf(kSeverityErr, "%s, Bad bidi, event table didn't flip.", kFn);
        return boost::none;
    }
    const float originTime = a1Time + rows2[*end2Row].row.propTime;

    std::vector<FlippedRow> flipped;
    for (size_t j = *end2Row + 1; j-- > launch2;) {
        const bool frame = j == *end2Row || (j == launch2 && hasFlag(end2, OtdrAnEventType::launch));
        if (auto f = flipRow(rows2[j], origin, originTime, j, frame))
            flipped.push_back(std::move(*f));
        else
            logf(kSeverityErr, "Row index %zu can't merge, skipping.", j);
    }

    // Candidates in (end-1 row, end-2 row) order.
    std::vector<BidiCandidate> candidates;
    for (size_t i = launch1; i <= *end1Row; ++i) {
        const BidiRowPlace p1 = placeOf(rows1[i].row);
        for (size_t j = 0; j < flipped.size(); ++j) {
            if (auto s = bidiScore(p1, placeOf(flipped[j].merged.row))) candidates.push_back({i, j, *s});
        }
    }
    const std::vector<BidiCandidate> chain = selectMergeChain(candidates);

    std::vector<WorkRow> out;
    for (size_t i = 0; i < launch1; ++i) out.push_back(workRow(rows1[i]));
    size_t next1 = launch1;
    size_t next2 = 0;
    auto lastLocation = [&]() -> boost::optional<ScaledInt> {
        if (out.empty()) return boost::none;
        return out.back().merged.row.lengthTolMeas.value;
    };
    // Unmatched rows before the next anchor (or the end of the cores), interleaved by location.
    auto emitUnmatched = [&](size_t upTo1, size_t upTo2, const boost::optional<ScaledInt>& ceiling) {
        while (next1 < upTo1 || next2 < upTo2) {
            bool takeFirst = next2 >= upTo2;
            if (next1 < upTo1 && next2 < upTo2)
                takeFirst = !(flipped[next2].merged.row.lengthTolMeas.value < rows1[next1].row.lengthTolMeas.value);
            if (takeFirst) {
                out.push_back(workRow(rows1[next1++]));
                continue;
            }
            const FlippedRow& f = flipped[next2++];
            if (f.frame) {
                logf(kSeverityErr, "Row index %zu can't merge, skipping.", f.sourceIndex);
                continue;
            }
            WorkRow w = workRow(f.merged);
            ScaledInt& loc = w.merged.row.lengthTolMeas.value;
            if (auto floor = lastLocation(); floor && loc < *floor) loc = *floor;
            if (ceiling && *ceiling < loc) loc = *ceiling;
            out.push_back(std::move(w));
        }
    };
    for (const auto& c : chain) {
        if (!c.row1 || !c.row2) continue;
        emitUnmatched(*c.row1, *c.row2, rows1[*c.row1].row.lengthTolMeas.value);
        out.push_back(mergeRows(rows1[*c.row1], flipped[*c.row2].merged, out.size()));
        next1 = *c.row1 + 1;
        next2 = *c.row2 + 1;
    }
    boost::optional<ScaledInt> suffixStart;
    if (*end1Row + 1 < rows1.size()) suffixStart = rows1[*end1Row + 1].row.lengthTolMeas.value;
    emitUnmatched(*end1Row + 1, flipped.size(), suffixStart);
    for (size_t i = *end1Row + 1; i < rows1.size(); ++i) out.push_back(workRow(rows1[i]));

    if (settings.otdrBendDetectionEnabled) markBends(out, settings);
    normalizeHiddenGroups(out);
    if (out.size() > kMaxStoredRows) {
        logf(kSeverityErr, "%s, Bad bidi, merged event table has more than %zu rows.", kFn, kMaxStoredRows);
        return boost::none;
    }

    FiberOtdrMergedRows merged;
    merged.reserve(out.size());
    for (auto& w : out) {
        if (w.override && w.merged.row.eventType != EventType::unknown) w.merged.row.setUserOverride(true, *w.override);
        merged.push_back(std::move(w.merged));
    }
    return fromMergedRows(merged);
}

OtdrBidiResult createBidiTest(const FiberOtdrTest& a, const FiberOtdrTest& b) {
    return createBidiTest(a, b, static_cast<int64_t>(std::time(nullptr)));
}

OtdrBidiResult createBidiTest(const FiberOtdrTest& a, const FiberOtdrTest& b, int64_t now) {
    if (a.summary.cableEnd == b.summary.cableEnd) {
        logf(kSeverityErr, "%s, OTDR test ends the same.", kFn);
        return OtdrBidiError::notBuilt;
    }
    const FiberOtdrTest& t1 = a.summary.cableEnd == CableEnd::end1 ? a : b;
    const FiberOtdrTest& t2 = b.summary.cableEnd == CableEnd::end2 ? b : a;
    if (&t1 == &t2) {
        logf(kSeverityErr, "%s, OTDR test ends the same.", kFn);
        return OtdrBidiError::notBuilt;
    }
    auto hasSplitter = [](const FiberOtdrTest& t) {
        return std::any_of(t.eventTable.rows.begin(), t.eventTable.rows.end(),
                           [](const FiberOtdrEventTableRow& r) { return r.displayEventType() == EventType::splitter; });
    };
    if (hasSplitter(t1) || hasSplitter(t2)) return OtdrBidiError::splitter;
    if (t1.settings.span.isSet() || t2.settings.span.isSet()) return OtdrBidiError::spanInForce;
    if ((t1.overallResults.warningFlags & kWarningMask) || (t2.overallResults.warningFlags & kWarningMask))
        return OtdrBidiError::warnings;
    if (t1.eventTable.getWavelengths() != t2.eventTable.getWavelengths()) return OtdrBidiError::wavelengthsDiffer;

    const auto end1Row = tailOrEndRow(t1.eventTable);
    const auto end2Row = tailOrEndRow(t2.eventTable);
    if (!end1Row || !end2Row) {
        logf(kSeverityErr, "%s, Bad bidi, event table(s) did not have tail or end.", kFn);
        return OtdrBidiError::notBuilt;
    }
    if (!intervalsOverlap(t1.eventTable.rows[*end1Row], t2.eventTable.rows[*end2Row]))
        return OtdrBidiError::endsDontCorrespond;
    for (const FiberOtdrTest* t : {&t1, &t2}) {
        if (hasFlag(t->eventTable, OtdrAnEventType::launch) && !hasFlag(t->eventTable, OtdrAnEventType::tail))
            return OtdrBidiError::launchWithoutTail;
    }

    auto result = std::make_unique<FiberOtdrTest>(FiberTestType::bidirectionalOtdr);
    result->summary = t1.summary;
    result->summary.testType = FiberTestType::bidirectionalOtdr;
    result->summary.status = Status::show;
    result->summary.timestamp = now;
    if (t2.summary.timestamp > t1.summary.timestamp) {
        result->summary.operatorName = t2.summary.operatorName;
        result->summary.end1Name = t2.summary.end1Name;
        result->summary.end2Name = t2.summary.end2Name;
        result->summary.comment = t2.summary.comment;
    }
    result->equipmentInfo = t1.equipmentInfo;
    result->fiber = t1.fiber;
    result->limit = t1.limit;
    result->settings = t1.settings;
    result->settings.numConnectors = std::min(t1.settings.numConnectors, t2.settings.numConnectors);
    result->settings.numSplices = std::min(t1.settings.numSplices, t2.settings.numSplices);

    if (!sameWavelengths(t1.overallResults, t2.overallResults)) {
        logf(kSeverityErr, "%s, Bad bidi, must have overall loss in same wls.", kFn);
        return OtdrBidiError::notBuilt;
    }
    // A table whose rows cannot all be named by a one-byte row index is refused before any folding.
    if (t1.eventTable.rowCount() > kMaxStoredRows || t2.eventTable.rowCount() > kMaxStoredRows) {
        logf(kSeverityErr, "%s, Bad bidi, event table has more than %zu rows.", kFn, kMaxStoredRows);
        return OtdrBidiError::notBuilt;
    }
    auto table = mergeBidiTables(prepareBidiTable(t1.eventTable), prepareBidiTable(t2.eventTable), t1.settings);
    if (!table) return OtdrBidiError::notBuilt;
    result->eventTable = std::move(*table);
    result->overallResults = mergeOverall(t1, t2);
    return result;
}

}  // namespace Kestrix
