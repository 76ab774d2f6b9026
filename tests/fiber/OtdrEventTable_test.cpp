#include "fiber/FiberTesting.h"

#include <boost/optional/optional_io.hpp>

#include <algorithm>
#include <cmath>

#include "fiber/FiberOtdrMergedRows.h"

namespace A = OtdrAnEventType;

namespace {
FiberOtdrEventTable realisticTable() {
    return kx::test::otdrEventTable(kx::test::end1Rows(), kx::test::otdrWavelengths());
}

// A table of `n` splice rows 100 m apart, one event each at 1310 nm.
FiberOtdrEventTable plainRows(size_t n) {
    std::vector<kx::test::OtdrRowSpec> rows;
    for (size_t i = 0; i < n; ++i) rows.push_back({100.0 * static_cast<double>(i + 1), A::splice, 0.1f, std::nanf("")});
    return kx::test::otdrEventTable(rows, {1310});
}

// Byte offset of the first row's hidden-group marker, displayed type, and of the first event.
constexpr size_t kFirstRow = kHeaderBytes + 2;
constexpr size_t kMarkerInRow = 1 + 16 + 1 + 1 + 12;
}  // namespace

TEST(OtdrEventType, RowTypesAndTextsFromFlags) {
    const std::pair<uint32_t, EventType> cases[] = {{0x47u, EventType::splitter},
                                                    {0x10010u, EventType::hiddenEnd},
                                                    {0x38u, EventType::noSignal},
                                                    {5u, EventType::connector},
                                                    {9u, EventType::bulkhead},
                                                    {7u, EventType::splitter},
                                                    {6u, EventType::bend},
                                                    {5u | A::launch, EventType::launch},
                                                    {A::end, EventType::end},
                                                    {0x30u, EventType::weakSignal},
                                                    {0x21u, EventType::unknown},
                                                    {A::hidden, EventType::hidden},
                                                    {8u + 0x20000u, EventType::bulkhead}};
    for (const auto& [flags, type] : cases) EXPECT_EQ(otdrEventType(flags), type) << std::hex << flags;
    EXPECT_STREQ(toString(EventType::hiddenEnd), "HiddenEnd");
    EXPECT_STREQ(toString(static_cast<EventType>(21)), "");

    EXPECT_EQ(otdrEventType(std::vector<uint32_t>{}), EventType::unknown);
    EXPECT_EQ(otdrEventType(std::vector<uint32_t>{A::connector, A::refl}), EventType::connector);
    EXPECT_EQ(otdrEventType(std::vector<uint32_t>{A::splice, A::splice}), EventType::splice);
    EXPECT_EQ(otdrEventType(std::vector<uint32_t>{A::splice, A::end}), EventType::end);
    // A signal problem: bulkhead only when every event is no-fiber or bulkhead.
    EXPECT_EQ(otdrEventType(std::vector<uint32_t>{A::noFiber, 8u}), EventType::bulkhead);
    EXPECT_EQ(otdrEventType(std::vector<uint32_t>{A::noFiber, A::splice}), EventType::unknown);

    const auto texts = anEventTypeTexts(A::connector | A::launch | A::hidden);
    EXPECT_EQ(texts, (std::vector<std::string>{"connector", "launch", "loss method lsa", "hidden"}));
    EXPECT_EQ(anEventTypeTexts(A::end | A::lossMethod2pt), (std::vector<std::string>{"end", "loss method 2pt"}));
    EXPECT_TRUE(isAnEventType(A::connector | A::tail, A::tail));
    EXPECT_FALSE(isAnEventType(A::splice, A::connector));
}

TEST(OtdrEventTable, StoredDisplayedTypesAreReadAsStoredExceptEndsBrokenDataIsRefusedAndVersion1RowsHaveNoOverride) {
    const auto good = bytesOf(plainRows(3));
    FiberOtdrEventTable back;

    // Any displayed type other than the analysed one is the user's choice, whatever it is.
    for (EventType t :
         {EventType::bend, EventType::echo, EventType::splitter, EventType::unknown, static_cast<EventType>(200)}) {
        auto shown = good;
        shown[kFirstRow + kMarkerInRow + 1] = static_cast<uint8_t>(t);
        ASSERT_EQ(readInto(back, shown), Marshal::ok) << static_cast<int>(t);
        EXPECT_EQ(back.rows[0].displayEventType(), t);
        EXPECT_EQ(back.rows[0].eventType, EventType::splice);
    }
    // A splice shown as an end or hidden end: the row is kept, the choice dropped (the event map could
    // not honour it), and the event map of the table can be made.
    for (EventType t : {EventType::end, EventType::hiddenEnd}) {
        auto shown = good;
        shown[kFirstRow + kMarkerInRow + 1] = static_cast<uint8_t>(t);
        ASSERT_EQ(readInto(back, shown), Marshal::ok);
        EXPECT_FALSE(back.rows[0].userOverride.has_value());
        EXPECT_EQ(back.rowCount(), 3u);
        EXPECT_EQ(back.createEventMap().rowCount(), 3u);
    }

    // An event naming a row that does not exist.
    FiberOtdrEventTable beyond = plainRows(3);
    beyond.events[2].rowIndex = 3;
    EXPECT_EQ(readInto(back, bytesOf(beyond)), Marshal::invalidData);

    // A hidden-group marker other than 0, 1, 2.
    auto marker = good;
    marker[kFirstRow + kMarkerInRow] = 3;
    EXPECT_EQ(readInto(back, marker), Marshal::invalidData);

    // A row count far beyond the bytes: refused before anything is sized from it.
    auto rows = good;
    rows[12] = 0xFF;
    rows[13] = 0xFF;
    EXPECT_EQ(readInto(back, rows), Marshal::readError);

    // A row of a newer layout.
    auto newer = good;
    newer[kFirstRow] = 3;
    EXPECT_EQ(readInto(back, newer), Marshal::versionTooNew);

    FiberOtdrEventTable t = plainRows(1);
    t.rows[0].splitRatio = OtdrSplitterRatio::r1x4;
    // Drop the displayed type and both split ratios and mark the row as version 1.
    auto bytes = kx::test::reframe(bytesOf(t), 0, 2, kFirstRow + kMarkerInRow + 1, 3);
    bytes[kFirstRow] = 1;
    FiberOtdrEventTable v1;
    ASSERT_EQ(readInto(v1, bytes), Marshal::ok);
    EXPECT_FALSE(v1.rows[0].userOverride.has_value());
    EXPECT_EQ(v1.rows[0].splitRatio, OtdrSplitterRatio::r1x2);
    EXPECT_EQ(v1.rows[0].analyzedSplitRatio, OtdrSplitterRatio::r1x2);
    EXPECT_EQ(v1.eventCount(), 1u);
}

TEST(OtdrEventTableRow, UserOverrideOnlyRetypesToConnector) {
    FiberOtdrEventTableRow row;
    row.eventType = EventType::loss;
    EXPECT_TRUE(row.setUserOverride(true, EventType::connector));
    EXPECT_EQ(row.displayEventType(), EventType::connector);
    EXPECT_FALSE(row.setUserOverride(true, EventType::connector));  // already so
    EXPECT_TRUE(row.setUserOverride(false, EventType::connector));
    EXPECT_EQ(row.displayEventType(), EventType::loss);
    EXPECT_FALSE(row.setUserOverride(false, EventType::connector));

    FiberOtdrEventTableRow splice;
    splice.eventType = EventType::splice;
    EXPECT_FALSE(splice.setUserOverride(true, EventType::connector));
    EXPECT_FALSE(splice.userOverride.has_value());

    FiberOtdrEventTableRow gainer;
    gainer.eventType = EventType::gainer;
    EXPECT_FALSE(gainer.setUserOverride(true, EventType::bend));
}

TEST(OtdrEventTable, EventQueriesMergedRowsAndAUserOverrideRoundTrip) {
    const FiberOtdrEventTable t = realisticTable();
    EXPECT_EQ(t.getWavelengths().size(), 4u);
    ASSERT_NE(t.getEvent(1550, 2), nullptr);
    EXPECT_EQ(t.getEvent(1550, 2)->rowIndex, 2u);
    EXPECT_EQ(t.getEvent(1383, 2), nullptr);
    const FiberOtdrEvent* tail = t.getEventWithAnEventTypeFlags(1310, A::tail, 0, false);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(tail->rowIndex, 5u);
    // Reflective events (base code bit 4) among non-launch/tail ones: first and last.
    const FiberOtdrEvent* firstRefl = t.getEventWithAnEventTypeFlags(1310, A::refl, A::refl | A::launch, false);
    const FiberOtdrEvent* lastRefl = t.getEventWithAnEventTypeFlags(1310, A::refl, A::refl | A::tail, true);
    ASSERT_NE(firstRefl, nullptr);
    ASSERT_NE(lastRefl, nullptr);
    EXPECT_EQ(firstRefl->rowIndex, 2u);
    EXPECT_EQ(lastRefl->rowIndex, 6u);
    const FiberOtdrEvent& e = t.getEventByIndex(8);
    EXPECT_NE(e.getCheckLimitResult(FiberLimitMetaType::maxLoss), nullptr);
    EXPECT_NE(e.getCheckLimitResult(FiberLimitMetaType::maxReflectance), nullptr);
    EXPECT_EQ(e.getCheckLimitResult(FiberLimitMetaType::minReflectance), nullptr);
    EXPECT_TRUE(metaTypeOf(FiberLimitValueType::maxSplitterLoss_2x8) == FiberLimitMetaType::maxLoss);
    EXPECT_TRUE(metaTypeOf(FiberLimitValueType::minOverallORL) == FiberLimitMetaType::minReflectance);
    EXPECT_FALSE(metaTypeOf(static_cast<FiberLimitValueType>(51)).has_value());

    const FiberOtdrMergedRows rows = toMergedRows(t);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[2].events.size(), 4u);
    const WavelengthLosses losses = sumEventLosses(rows, 1, 2);
    EXPECT_EQ(lossOf(losses, 1310).value, 43);  // 0.08 + 0.35
    EXPECT_TRUE(anyEventHasFlag(rows, 0, 2, A::launch));
    EXPECT_FALSE(anyEventHasFlag(rows, 1, 4, A::launch));
    const FiberOtdrEventTable back = fromMergedRows(rows);
    EXPECT_EQ(bytesOf(back), bytesOf(t));

    // Detail zero has only the class name and version (the whole table at detail one is in FiberOtdrTest.json).
    EXPECT_EQ(t.toJson(Dump::DumpFlags{0}).size(), 2u);

    // A user override and a split ratio round-trip.
    FiberOtdrEventTable changed = t;
    changed.rows[3].setUserOverride(true, EventType::connector);
    changed.rows[1].splitRatio = OtdrSplitterRatio::r1x32;
    const auto bytes = bytesOf(changed);
    FiberOtdrEventTable read;
    ASSERT_EQ(readInto(read, bytes), Marshal::ok);
    EXPECT_EQ(bytesOf(read), bytes);
    EXPECT_EQ(read.rows[3].displayEventType(), EventType::connector);
    EXPECT_EQ(read.rows[3].eventType, EventType::reflection);
}

TEST(OtdrEventTable, HiddenGroupsAndDistances) {
    const auto m = [](float metres) { return ScaledInt(metres, ScaledInt::ones); };
    FiberOtdrEventTable t = plainRows(8);
    t.rows[1].hiddenGroupMarker = HiddenGroupMarker::begin;
    t.rows[2].hiddenGroupMarker = HiddenGroupMarker::end;
    t.rows[4].hiddenGroupMarker = HiddenGroupMarker::begin;
    t.rows[6].hiddenGroupMarker = HiddenGroupMarker::end;
    EXPECT_EQ(t.hiddenGroupCount(), 2u);
    EXPECT_EQ(t.getFirstRowIndexOfHiddenGroup(1), 4u);
    EXPECT_EQ(t.getLastRowIndexOfHiddenGroup(0), 2u);
    EXPECT_EQ(t.getFirstRowIndexOfHiddenGroup(5), 4u);  // no such group: the last one found
    EXPECT_EQ(plainRows(3).getLastRowIndexOfHiddenGroup(0), 0u);
    EXPECT_EQ(t.getFirstRowOfGroup(5), boost::optional<size_t>(4));
    EXPECT_EQ(t.getLastRowOfGroup(5), boost::optional<size_t>(6));
    EXPECT_FALSE(t.getFirstRowOfGroup(3).has_value());

    EXPECT_EQ(t.firstRowAtOrAfter(m(250.0f)), boost::optional<size_t>(2));
    EXPECT_FALSE(t.firstRowAtOrAfter(m(900.0f)).has_value());
    EXPECT_EQ(t.lastRowAtOrBefore(m(250.0f)), boost::optional<size_t>(1));
    EXPECT_EQ(t.lastRowAtOrBefore(m(5000.0f)), boost::optional<size_t>(7));
    EXPECT_FALSE(t.lastRowAtOrBefore(m(50.0f)).has_value());
    // A distance exactly at a row's location includes that row from either side.
    EXPECT_EQ(t.firstRowAtOrAfter(m(300.0f)), boost::optional<size_t>(2));
    EXPECT_EQ(t.lastRowAtOrBefore(m(300.0f)), boost::optional<size_t>(2));

    const FibDbus::OtdrSpan span(m(150.0f), m(650.0f));
    EXPECT_EQ(t.getSpanRows(span), std::make_pair(size_t{1}, size_t{5}));
    EXPECT_TRUE(t.findSpanRows(span) == boost::make_optional(std::make_pair(size_t{1}, size_t{5})));
    // Spans a file may hold that give no rows are answered, not asserted.
    EXPECT_FALSE(t.findSpanRows(FibDbus::OtdrSpan()).has_value());
    EXPECT_FALSE(t.findSpanRows(FibDbus::OtdrSpan(m(650.0f), m(150.0f))));
    EXPECT_FALSE(t.findSpanRows(FibDbus::OtdrSpan(m(10.0f), m(20.0f))));
    EXPECT_FALSE(FiberOtdrEventTable().findSpanRows(span).has_value());
}

TEST(OtdrEventTableDeathTest, QueriesAndAnOverrideOnAnUnknownRowKeepTheirAssertions) {
    const FiberOtdrEventTable t = plainRows(2);
    EXPECT_DEATH(t.getRowByIndex(2), "rowIndex < rowCount\\(\\)");
    EXPECT_DEATH(t.getEventByIndex(2), "eventIndex < eventCount\\(\\)");
    EXPECT_DEATH(FiberOtdrEventTable().getSpanRows(FibDbus::OtdrSpan()), "_rows.size\\(\\) > 0");
    FiberOtdrEventTableRow unknown;
    EXPECT_DEATH(unknown.setUserOverride(true, EventType::connector), "_eventType != EVENT_TYPE_UNKNOWN");
}

namespace {
// The event map as the plain description reads: one removeRows() per removed row.
FiberOtdrEventTable eventMapOneByOne(const FiberOtdrEventTable& t) {
    FiberOtdrEventTable map = t;
    if (map.rowCount() > 1) {
        for (size_t i = 0; i < map.rowCount(); ++i) {
            if (map.rows[i].displayEventType() == EventType::noSignal) {
                map.removeRows(i);
                break;
            }
        }
    }
    for (size_t i = map.rowCount(); i-- > 0;)
        if (map.rows[i].displayEventType() == EventType::echo) map.removeRows(i);
    bool lastSeen = false;
    for (size_t i = map.rowCount(); i-- > 0;) {
        const EventType type = map.rows[i].displayEventType();
        const bool endLike = type == EventType::end || type == EventType::hiddenEnd;
        if (!endLike && type != EventType::weakSignal && type != EventType::outOfRange) continue;
        if (!lastSeen) {
            lastSeen = true;
        } else if (!endLike) {
            map.removeRows(i);
        } else {
            for (auto& e : map.events)
                if (e.rowIndex == i) e.anEventTypeFlags &= ~16u;
            map.rows[i].eventType = otdrEventType(map.eventFlagsOfRow(i));
        }
    }
    return map;
}

}  // namespace

TEST(OtdrEventTable, RemovingRowsKeepsGroupsAndRowIndicesAndTheEventMapRemovesInOnePass) {
    FiberOtdrEventTable t = plainRows(7);
    t.rows[3].hiddenGroupMarker = HiddenGroupMarker::begin;
    t.rows[5].hiddenGroupMarker = HiddenGroupMarker::end;
    FiberOtdrEventTable endCut = t;
    endCut.removeRows(5);
    EXPECT_EQ(endCut.rowCount(), 6u);
    EXPECT_EQ(endCut.rows[4].hiddenGroupMarker, HiddenGroupMarker::end);
    EXPECT_EQ(endCut.events.back().rowIndex, 5u);

    FiberOtdrEventTable beginCut = t;
    beginCut.removeRows(3);
    EXPECT_EQ(beginCut.rows[3].hiddenGroupMarker, HiddenGroupMarker::begin);  // old row 4 opens the group
    EXPECT_EQ(beginCut.rows[4].hiddenGroupMarker, HiddenGroupMarker::end);

    FiberOtdrEventTable whole = t;
    whole.removeRows(3, 5);
    EXPECT_EQ(whole.hiddenGroupCount(), 0u);
    EXPECT_EQ(whole.rowCount(), 4u);
    for (const auto& e : whole.events) EXPECT_LT(e.rowIndex, whole.rowCount());

    FiberOtdrEventTable clipped = t;
    clipped.removeRows(6, 100);
    EXPECT_EQ(clipped.rowCount(), 6u);
    FiberOtdrEventTable none = t;
    none.removeRows(4, 2);
    EXPECT_EQ(none.rowCount(), 7u);

    for (uint32_t seed = 0; seed < 250; ++seed) {
        const FiberOtdrEventTable shuffled = kx::test::shuffledEventTable(seed);
        ASSERT_EQ(bytesOf(shuffled.createEventMap()), bytesOf(eventMapOneByOne(shuffled))) << "seed " << seed;
    }
}

TEST(OtdrEventTable, JsonGroupsEventsByRowWhateverTheirOrder) {
    FiberOtdrEventTable t = kx::test::hostileEventTable({EventType::splice}, false, 300, 2000);
    std::reverse(t.events.begin(), t.events.end());
    const Json::Value j = t.toJson(Dump::DumpFlags{1});
    ASSERT_EQ(j["rows"].size(), 300u);
    size_t total = 0;
    for (Json::ArrayIndex i = 0; i < j["rows"].size(); ++i) {
        const Json::Value& events = j["rows"][i]["events"];
        for (Json::ArrayIndex k = 0; k < events.size(); ++k) ASSERT_EQ(events[k]["rowIndex"].asUInt(), i);
        total += events.size();
    }
    EXPECT_EQ(total, 2000u);
    EXPECT_EQ(j["rows"][0]["events"].size(), 8u);  // 2000 events over the first 256 rows
    EXPECT_EQ(j["rows"][299]["events"].size(), 0u);
    // In event order within a row: the wavelengths of row 0 now come 1550 first.
    EXPECT_EQ(j["rows"][0]["events"][0]["wavelength"].asUInt(), 1550u);
}
