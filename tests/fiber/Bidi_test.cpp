#include "fiber/FiberTesting.h"

#include <algorithm>

#include "fiber/FiberOtdrBidiAvg.h"
#include "serialization/LogSink.h"

namespace A = OtdrAnEventType;

namespace {
constexpr int64_t kNow = 1765000000;

// Collects the log lines written while it lives.
struct LogCapture {
    LogCapture() {
        Dump::setLogSink([this](int32_t, int32_t, const std::string& line) { lines.push_back(line); });
    }
    ~LogCapture() { Dump::setLogSink(nullptr); }
    bool has(const std::string& text) const { return std::find(lines.begin(), lines.end(), text) != lines.end(); }
    std::vector<std::string> lines;
};

OtdrBidiError errorOf(const OtdrBidiResult& r) {
    EXPECT_TRUE(std::holds_alternative<OtdrBidiError>(r));
    return std::holds_alternative<OtdrBidiError>(r) ? std::get<OtdrBidiError>(r) : static_cast<OtdrBidiError>(-1);
}

const FiberOtdrTest& testOf(const OtdrBidiResult& r) {
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<FiberOtdrTest>>(r));
    return *std::get<std::unique_ptr<FiberOtdrTest>>(r);
}

// The invariants every merged table keeps.
void expectWellFormed(const FiberOtdrEventTable& t) {
    for (const auto& e : t.events) EXPECT_LT(e.rowIndex, t.rowCount());
    bool open = false;
    for (size_t i = 0; i < t.rowCount(); ++i) {
        const auto m = t.rows[i].hiddenGroupMarker;
        if (m == HiddenGroupMarker::begin) {
            EXPECT_FALSE(open) << "row " << i;
            open = true;
        } else if (m == HiddenGroupMarker::end) {
            EXPECT_TRUE(open) << "row " << i;
            open = false;
        }
        EXPECT_NE(t.rows[i].eventType, EventType::unknown) << "row " << i;
        if (i > 0) {
            EXPECT_FALSE(t.rows[i].lengthTolMeas.value < t.rows[i - 1].lengthTolMeas.value) << "row " << i;
        }
    }
    EXPECT_FALSE(open);
}

}  // namespace

TEST(BidiMerge, RealisticTestsMergeIntoOneEnd1TableSummaryAndResults) {
    FiberOtdrTest end1 = kx::test::otdrTest(CableEnd::end1);
    FiberOtdrTest end2 = kx::test::otdrTest(CableEnd::end2);
    end2.settings.numSplices = 1;
    end1.overallResults.warningFlags = 0x4000000 | 0x10000;  // PoorConnection, NoBsPort
    const auto result = createBidiTest(end2, end1, kNow);    // order of the arguments does not matter
    const FiberOtdrTest& bidi = testOf(result);
    const FiberOtdrEventTable& t = bidi.eventTable;
    expectWellFormed(t);

    // Launch, splice, connector, its near-duplicate, the hidden splice, the end-2-only splice, tail, end: matched
    // events average their losses and keep the worse reflectance; the end-1 splice that met an end-2 gainer is
    // a splice of the mean loss; the near-duplicate keeps its end-1 measurement; the hidden splice takes the
    // visible end-2 analysis; the end-2-only splice is flipped onto the end-1 axis; end 1's hidden group stays.
    kx::test::expectGolden(t.toJson(Dump::DumpFlags{1}), "BidiEventTable.json");
    EXPECT_EQ(bidi.fiber, end1.fiber);
    EXPECT_TRUE(bidi.plots.plots.empty());
    // Shown, not judged; the operator of end 2, tested later; the longer length; mean overall losses
    // ((1.10 + 1.20) / 2 at 1310 nm); both ends' warnings and the bidirectional one.
    Json::Value doc;
    doc["summary"] = bidi.summary.toJson(Dump::DumpFlags{1});
    doc["settings"] = bidi.settings.toJson(Dump::DumpFlags{1});
    doc["overallResults"] = bidi.overallResults.toJson(Dump::DumpFlags{1});
    kx::test::expectGolden(doc, "BidiSummary.json");

    // From a loop test the far end's poor connection is not carried.
    end2.settings.fiberTestType = TestType::autoVexloop;
    end2.overallResults.warningFlags = 0x4000000;
    end1.overallResults.warningFlags = 0;
    EXPECT_EQ(testOf(createBidiTest(end1, end2, kNow)).overallResults.warningFlags, 0u);

    // The same merge whichever test comes first.
    const auto ab = createBidiTest(end1, end2, kNow);
    const auto ba = createBidiTest(end2, end1, kNow);
    EXPECT_EQ(testOf(ab).eventTable.toJson(Dump::DumpFlags{1}), testOf(ba).eventTable.toJson(Dump::DumpFlags{1}));
}

TEST(BidiMerge, EveryErrorOutcome) {
    const FiberOtdrTest end1 = kx::test::otdrTest(CableEnd::end1);
    const FiberOtdrTest end2 = kx::test::otdrTest(CableEnd::end2);
    LogCapture log;
    EXPECT_EQ(errorOf(createBidiTest(end1, end1, kNow)), OtdrBidiError::notBuilt);
    EXPECT_TRUE(log.has("Kestrix::createBidiTest, OTDR test ends the same."));

    FiberOtdrTest splitter = end2;
    splitter.eventTable.rows[2].eventType = EventType::splitter;
    EXPECT_EQ(errorOf(createBidiTest(end1, splitter, kNow)), OtdrBidiError::splitter);

    FiberOtdrTest span = end1;
    span.settings.span = FibDbus::OtdrSpan(ScaledInt(0.0f, ScaledInt::ones), ScaledInt(900.0f, ScaledInt::ones));
    EXPECT_EQ(errorOf(createBidiTest(span, end2, kNow)), OtdrBidiError::spanInForce);
    span.settings.span.spanEnd = ScaledInt::nan();  // one end alone is no span
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<FiberOtdrTest>>(createBidiTest(span, end2, kNow)));

    FiberOtdrTest warned = end2;
    warned.overallResults.warningFlags |= 0x4000;  // NoTail
    EXPECT_EQ(errorOf(createBidiTest(end1, warned, kNow)), OtdrBidiError::warnings);

    FiberOtdrTest two = end1;
    two.eventTable = kx::test::otdrEventTable(kx::test::end1Rows(), {1310, 1550});
    FiberOtdrTest one = end2;
    one.eventTable = kx::test::otdrEventTable(kx::test::end2Rows(), {1310});
    EXPECT_EQ(errorOf(createBidiTest(two, one, kNow)), OtdrBidiError::wavelengthsDiffer);

    FiberOtdrTest noEnd = end2;
    auto rows = kx::test::end2Rows();
    rows.pop_back();                    // no end row
    rows.back().flags = A::connector;   // no tail either
    rows.front().flags = A::connector;  // nor a launch
    noEnd.eventTable = kx::test::otdrEventTable(rows, kx::test::otdrWavelengths());
    log.lines.clear();
    EXPECT_EQ(errorOf(createBidiTest(end1, noEnd, kNow)), OtdrBidiError::notBuilt);
    EXPECT_TRUE(log.has("Kestrix::createBidiTest, Bad bidi, event table(s) did not have tail or end."));

    FiberOtdrTest shorter = end2;
    rows = kx::test::end2Rows();
    rows[5].location = 2100.0;  // the end-2 tail 50 m short of the end-1 tail
    shorter.eventTable = kx::test::otdrEventTable(rows, kx::test::otdrWavelengths());
    EXPECT_EQ(errorOf(createBidiTest(end1, shorter, kNow)), OtdrBidiError::endsDontCorrespond);

    // Launch compensation without a tail: the end rows then are both ends of the tail cord.
    FiberOtdrTest l1 = end1;
    FiberOtdrTest l2 = end2;
    for (FiberOtdrTest* t : {&l1, &l2})
        for (auto& e : t->eventTable.events) e.anEventTypeFlags &= ~A::tail;
    EXPECT_EQ(errorOf(createBidiTest(l1, l2, kNow)), OtdrBidiError::launchWithoutTail);

    FiberOtdrTest fewer = end2;
    auto per = fewer.overallResults.perWls();
    per.pop_back();
    fewer.overallResults.setPerWls(per);
    log.lines.clear();
    EXPECT_EQ(errorOf(createBidiTest(end1, fewer, kNow)), OtdrBidiError::notBuilt);
    EXPECT_TRUE(log.has("Kestrix::createBidiTest, Bad bidi, must have overall loss in same wls."));
    for (int e = 0; e <= 6; ++e) EXPECT_STRNE(describe(static_cast<OtdrBidiError>(e)), "");
}

TEST(BidiMerge, BendsAreDecidedFromTheAveragedLossesAndUserChoicesReapplied) {
    FiberOtdrTest end1 = kx::test::otdrTest(CableEnd::end1);
    ASSERT_TRUE(end1.eventTable.rows[3].setUserOverride(true, EventType::connector));  // the near-duplicate
    FiberOtdrTest end2 = kx::test::otdrTest(CableEnd::end2);
    // The splice at 612.4 m loses far more at 1625 nm from both ends; end 1 already called it a bend.
    for (auto& e : end1.eventTable.events)
        if (e.rowIndex == 1) {
            if (e.wavelength == 1625) e.lossTolMeas.value = ScaledInt(0.95f, ScaledInt::hundredths);
            e.anEventTypeFlags = A::bend;
        }
    for (auto& e : end2.eventTable.events)
        if (e.rowIndex == 4 && e.wavelength == 1625) e.lossTolMeas.value = ScaledInt(0.85f, ScaledInt::hundredths);

    // Without bend detection no row is a bend: the input mark is cleared and leaves a plain loss.
    const auto plain = createBidiTest(end1, end2, kNow);
    EXPECT_EQ(testOf(plain).eventTable.rows[1].eventType, EventType::loss);
    EXPECT_EQ(testOf(plain).eventTable.rows[3].displayEventType(), EventType::connector);
    EXPECT_EQ(testOf(plain).eventTable.rows[3].eventType, EventType::reflection);

    end1.settings.otdrBendDetectionEnabled = true;
    const auto result = createBidiTest(end1, end2, kNow);
    const FiberOtdrEventTable& t = testOf(result).eventTable;
    expectWellFormed(t);
    EXPECT_EQ(t.rows[1].eventType, EventType::bend);
    for (const auto& e : t.events)
        if (e.rowIndex == 1) {
            EXPECT_EQ(e.anEventTypeFlags & A::baseMask, A::bend);
        }
    for (size_t i = 0; i < t.rowCount(); ++i)
        if (i != 1) {
            EXPECT_NE(t.rows[i].eventType, EventType::bend) << "row " << i;
        }
}

// Chain selection and folding are compared with their plain forms below, whose random tables have no tail,
// reflectance or lone bend bit to carry over.
TEST(BidiMerge, ScoresAndFoldingCarriesTailAndReflectance) {
    EXPECT_FALSE(bidiScore({0, 1, 2, false}, {3, 4, 5, false}).has_value());
    EXPECT_DOUBLE_EQ(*bidiScore({0, 1, 2, false}, {0, 1, 2, false}), 1.0);
    EXPECT_DOUBLE_EQ(*bidiScore({0, 1, 2, false}, {1, 2, 3, false}), 0.75);
    EXPECT_DOUBLE_EQ(*bidiScore({0, 1, 2, true}, {1, 2, 3, false}), 1.15);
    EXPECT_DOUBLE_EQ(*bidiScore({1, 1, 1, false}, {1, 1, 1, false}), 1.0);  // no tolerances at all

    const float none = std::nanf("");
    const FiberOtdrEventTable p = prepareBidiTable(kx::test::otdrEventTable({{100.0, A::splice | 2u, 0.1f, none},
                                                                             {500.0, A::loss, 0.2f, none},
                                                                             {500.0, A::refl | A::tail, 0.05f, -40.0f},
                                                                             {900.0, A::end, none, -14.0f}},
                                                                            {1310}));
    const FiberOtdrEvent& folded = *p.getEvent(1310, 1);
    EXPECT_TRUE(isAnEventType(folded.anEventTypeFlags, 4u | A::tail));
    EXPECT_EQ(folded.lossTolMeas.value.value, 25);
    EXPECT_EQ(folded.reflectanceTolMeas.value.value, -4000);
    // Only bits 2 and 4 together (a bend) are cleared.
    EXPECT_EQ(p.getEvent(1310, 0)->anEventTypeFlags & 6u, 2u);
    EXPECT_EQ(*tailOrEndRow(p), 1u);
    EXPECT_FALSE(tailOrEndRow(FiberOtdrEventTable()).has_value());
}

namespace {
// Preparation as the plain description reads: one removeRows() per folded row.
FiberOtdrEventTable prepareOneByOne(const FiberOtdrEventTable& table) {
    FiberOtdrEventTable et = table.createEventMap();
    const auto wavelengths = et.getWavelengths();
    for (size_t i = et.rowCount() >= 2 ? et.rowCount() - 1 : 0; i-- > 0;) {
        if (!(et.rows[i].lengthTolMeas.value == et.rows[i + 1].lengthTolMeas.value)) continue;
        for (uint16_t wl : wavelengths) {
            FiberOtdrEvent* e = et.getEvent(wl, static_cast<unsigned>(i));
            const FiberOtdrEvent* next = et.getEvent(wl, static_cast<unsigned>(i + 1));
            if (!e || !next) continue;
            e->anEventTypeFlags |= next->anEventTypeFlags & (4u | A::launch | A::tail);
            e->reflectanceTolMeas = max(e->reflectanceTolMeas, next->reflectanceTolMeas);
            e->lossTolMeas = e->lossTolMeas + next->lossTolMeas;
        }
        et.removeRows(i + 1);
    }
    for (auto& e : et.events)
        if (isAnEventType(e.anEventTypeFlags, 2u | 4u)) e.anEventTypeFlags &= ~(2u | 4u);
    return et;
}

// Chain selection as the plain description reads, quadratic in candidates.
std::vector<BidiCandidate> chainOneByOne(const std::vector<BidiCandidate>& candidates) {
    const size_t n = candidates.size();
    std::vector<double> total(n, 0.0);
    std::vector<boost::optional<size_t>> link(n);
    for (size_t k = n; k-- > 0;) {
        total[k] += candidates[k].score;
        const BidiCandidate& c = candidates[k];
        for (size_t m = 0; m < k; ++m) {
            if (!(*candidates[m].row1 < *c.row1) || !(*candidates[m].row2 < *c.row2)) continue;
            if (total[k] > total[m]) {
                total[m] = total[k];
                link[m] = k;
            }
        }
    }
    std::vector<BidiCandidate> chain;
    size_t start = 0;
    for (size_t k = 1; k < n; ++k)
        if (total[k] > total[start]) start = k;
    for (boost::optional<size_t> at = start; n > 0 && at; at = link[*at]) chain.push_back(candidates[*at]);
    return chain;
}

std::vector<std::pair<size_t, size_t>> rowsOf(const std::vector<BidiCandidate>& chain) {
    std::vector<std::pair<size_t, size_t>> out;
    for (const auto& c : chain) out.emplace_back(*c.row1, *c.row2);
    return out;
}
}  // namespace

TEST(BidiMerge, PreparationAndChainSelectionMatchTheirDirectForms) {
    for (uint32_t seed = 0; seed < 250; ++seed) {
        const FiberOtdrEventTable t = kx::test::shuffledEventTable(seed);
        ASSERT_EQ(bytesOf(prepareBidiTable(t)), bytesOf(prepareOneByOne(t))) << "seed " << seed;
    }

    uint32_t x = 7;
    auto next = [&](uint32_t n) {
        x = x * 1664525u + 1013904223u;
        return (x >> 8) % n;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<BidiCandidate> candidates;
        const size_t rows1 = 1 + next(12);
        for (size_t i = 0; i < rows1; ++i)
            for (size_t j = 0; j < 12; ++j)
                if (next(3) == 0) candidates.push_back({i, j, next(4) / 4.0});  // ties on purpose
        ASSERT_EQ(rowsOf(selectMergeChain(candidates)), rowsOf(chainOneByOne(candidates))) << "round " << round;
    }
}

TEST(BidiMerge, LongTablesKeepTheirInvariantsUpTo256Rows) {
    FiberOtdrTest end1 = kx::test::otdrTestWithRows(CableEnd::end1, 100);
    FiberOtdrTest end2 = kx::test::otdrTestWithRows(CableEnd::end2, 100);
    const auto hundred = createBidiTest(end1, end2, kNow);
    expectWellFormed(testOf(hundred).eventTable);
    EXPECT_EQ(testOf(hundred).eventTable.rowCount(), 100u);
    EXPECT_EQ(testOf(hundred).eventTable.eventCount(), 400u);

    // Events name their row in one byte: a merged table must stay within 256 rows. Here no inner end-2 row
    // matches, so 200 + 197 rows would result.
    end1 = kx::test::otdrTestWithRows(CableEnd::end1, 200);
    end2 = kx::test::otdrTestWithRows(CableEnd::end2, 200);
    for (size_t i = 1; i + 2 < end2.eventTable.rowCount(); ++i)
        end2.eventTable.rows[i].lengthTolMeas.value =
            end2.eventTable.rows[i].lengthTolMeas.value + ScaledInt(20.0f, ScaledInt::ones);
    LogCapture log;
    EXPECT_EQ(errorOf(createBidiTest(end1, end2, kNow)), OtdrBidiError::notBuilt);
    EXPECT_TRUE(log.has("Kestrix::createBidiTest, Bad bidi, merged event table has more than 256 rows."));

    // Over 256 rows: refused before the tables are prepared, and said so.
    end1 = kx::test::otdrTestWithRows(CableEnd::end1, 300);
    end2 = kx::test::otdrTestWithRows(CableEnd::end2, 300);
    log.lines.clear();
    EXPECT_EQ(errorOf(createBidiTest(end1, end2, kNow)), OtdrBidiError::notBuilt);
    EXPECT_TRUE(log.has("Kestrix::createBidiTest, Bad bidi, event table has more than 256 rows."));
}
