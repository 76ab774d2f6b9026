// The stocked tester's results are physically true: over every stocked record and a run of 500 generated
// ones, each verdict is what the data gives, margins follow from the stored curves and limits, lengths,
// wiremap colours, OTDR traces and loss budgets agree with each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "SimStock.h"
#include "common/PFile.h"
#include "common/ResultEnvelope.h"
#include "copper/CopperLimit.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperUtil.h"
#include "copper/WireMapData.h"
#include "core/TestFiles.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberResultReader.h"

namespace fs = std::filesystem;
using namespace Kestrix;

namespace {

struct Stored {
    std::string file;
    std::vector<uint8_t> bytes;
    ResultSummary summary;
};

// Every result file of a tester stocked with its own records and 500 generated ones.
const std::vector<Stored>& stocked() {
    static const std::vector<Stored> all = [] {
        const fs::path root = kx::test::freshFolder("physics") / "tester";
        Sim::stockTester(root, {.extraRecords = 500, .seed = 11});
        std::vector<Stored> out;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            if (e.path().extension() != ".res") continue;
            Stored s;
            s.file = e.path().filename().string();
            EXPECT_TRUE(PFile::readFileBytes(e.path().string(), s.bytes));
            EXPECT_EQ(readResultSummary(s.summary, s.bytes.data(), static_cast<uint32_t>(s.bytes.size())),
                      ResultReaderStatus::success)
                << s.file;
            out.push_back(std::move(s));
        }
        fs::remove_all(root.parent_path());
        return out;
    }();
    return all;
}

// One of the stock's own records, not a generated one: what they hold is what a fresh tester offers.
bool ownRecord(const ResultSummary& s) { return s.resultName.rfind("GEN-", 0) != 0; }

// Each result of one type, read once: decoding is a good part of the work.
template <typename Result, typename Reader, ResultType kType>
const std::vector<std::unique_ptr<Result>>& results() {
    static const auto all = [] {
        std::vector<std::unique_ptr<Result>> out;
        for (const Stored& s : stocked()) {
            if (s.summary.resultType != kType) continue;
            out.push_back(std::make_unique<Result>());
            EXPECT_EQ(Reader::readResult(*out.back(), s.bytes.data(), static_cast<uint32_t>(s.bytes.size())),
                      ResultReaderStatus::success)
                << s.file;
        }
        return out;
    }();
    return all;
}
const auto copperResults = results<CopperResult, CopperResultReader, ResultType::COPPER>;
const auto fiberResults = results<FiberResult, FiberResultReader, ResultType::FIBER>;

// --- copper ---

// The overall verdict the model defines: the wiremap, every scalar, every frequency record, and a fail for a
// required curve nothing was measured for; a starred fail is a fail.
Status verdictOf(const CopperTest& t) {
    Status s = mergeStatus(Status::show, t.body.wiremap.status);
    for (const auto& sc : t.body.scalars) s = mergeStatus(s, sc.status);
    for (const auto& f : t.body.copperfreqs.freqs) s = mergeStatus(s, f.status);
    for (const auto& l : t.body.limit->freqLimits) {
        if (l.isInfoOnly) continue;
        bool measured = false;
        for (const auto& f : t.body.copperfreqs.freqs) measured = measured || f.limitType == l.freqLimitType;
        if (!measured) s = mergeStatus(s, Status::fail);
    }
    return s == Status::failStar ? Status::fail : s;
}

const CopperFreqLimit* curveFor(const CopperLimit& l, const CopperFreq& r) {
    for (const auto& c : l.freqLimits)
        if (c.freqLimitType == r.limitType && c.pair == pairComboOf(r.srcPair, r.rcvPair)) return &c;
    for (const auto& c : l.freqLimits)
        if (c.freqLimitType == r.limitType && c.pair == PairCombo::any) return &c;
    return nullptr;
}

// The worst margin of a record, in tenths of a dB, from the stored (and derived) curve and the limit curve
// where the dB rules enforce it (everywhere when they enforce it nowhere). A passing insertion loss reports
// its margin where the loss is largest.
int32_t worstMarginOf(const CopperTest& t, const CopperFreq& r) {
    const CopperPlot* p = t.plots.findPlot(r.testType, r.cableEnd, r.srcPair, r.rcvPair);
    const CopperFreqLimit* c = curveFor(*t.body.limit, r);
    EXPECT_TRUE(p && c) << toString(r.testType);
    if (!p || !c) return 0;
    std::vector<uint16_t> mask;
    t.getLimitEnforced(r.testType, r.cableEnd, r.srcPair, r.rcvPair, mask);
    const bool upper = r.testType == CopperTestType::il;
    const size_t n = std::min(p->data.size(), c->limitCurve.size());
    for (int pass = 0; pass < 2; ++pass) {
        int32_t worst = INT32_MAX, largest = INT32_MIN, atLargest = 0;
        for (size_t k = 0; k < n; ++k) {
            if (c->limitCurve[k] == CopperFreqLimit::kNoLimit) continue;
            if (pass == 0 && k < mask.size() && mask[k] == 0) continue;
            worst = std::min(worst, upper ? c->limitCurve[k] - p->data[k] : p->data[k] - c->limitCurve[k]);
            if (p->data[k] >= largest) {
                largest = p->data[k];
                atLargest = c->limitCurve[k] - p->data[k];
            }
        }
        if (worst == INT32_MAX) continue;
        return upper && r.status == Status::pass ? atLargest : worst;
    }
    return 0;
}

void copperVerdictsAreTheDatasOwn() {
    std::map<Status, int> verdicts;
    size_t n = 0;
    bool cat6APass = false;
    for (const auto& result : copperResults()) {
        const CopperResult& r = *result;
        const CopperTest& t = *r.test;
        ASSERT_TRUE(t.hasLimit()) << r.summary.resultName;
        EXPECT_EQ(r.summary.status, t.body.status) << r.summary.resultName;
        EXPECT_EQ(r.summary.timeStamp, t.body.timestamp) << r.summary.resultName;
        EXPECT_EQ(t.body.status, verdictOf(t)) << r.summary.resultName;
        ++verdicts[t.body.status];
        cat6APass = cat6APass || (ownRecord(r.summary) && t.body.status == Status::pass &&
                                  t.body.cable.catId == CopperCable::CatId::cat6A &&
                                  t.body.limit->getName() == "TIA Cat 6A Perm. Link");
        for (const CopperFreq& f : t.body.copperfreqs.freqs)
            EXPECT_EQ(f.getWmMargin().value, worstMarginOf(t, f))
                << r.summary.resultName << " " << toString(f.testType) << " " << static_cast<int>(f.srcPair) << "-"
                << static_cast<int>(f.rcvPair);
        // The library judging the stored data again comes to the same records and verdict (for the stock's
        // own records and every fourth generated one: the pool repeats links).
        if (!ownRecord(r.summary) && n++ % 4 != 0) continue;
        CopperTest again(t);
        EXPECT_EQ(again.recertify(t.body.settings.nvp.toFloat()), t.body.status) << r.summary.resultName;
        ASSERT_EQ(again.body.copperfreqs.freqs.size(), t.body.copperfreqs.freqs.size());
        for (size_t i = 0; i < t.body.copperfreqs.freqs.size(); ++i)
            EXPECT_EQ(again.body.copperfreqs.freqs[i].status, t.body.copperfreqs.freqs[i].status);
    }
    const int total = verdicts[Status::pass] + verdicts[Status::passStar] + verdicts[Status::fail];
    ASSERT_GT(total, 200);
    // About nine in ten pass; some only within the tester's accuracy; failures happen.
    EXPECT_GT(verdicts[Status::pass] + verdicts[Status::passStar], total * 8 / 10);
    EXPECT_GT(verdicts[Status::passStar], 0);
    EXPECT_GT(verdicts[Status::fail], total / 50);
    EXPECT_TRUE(cat6APass);
}

void copperLengthsFollowTheDelaysAndStayWithinTheirLimit() {
    int tooLong = 0;
    for (const auto& result : copperResults()) {
        const CopperResult& r = *result;
        const CopperTest& t = *r.test;
        const float nvp = t.body.settings.nvp.toFloat() / 100.0f;
        for (const CopperScalar& len : t.body.scalars) {
            if (len.copperTestType != CopperTestType::length || len.qualifier != ScalarQualifier::normal) continue;
            CopperScalar delay;
            ASSERT_TRUE(t.findCopperScalar(delay, CopperTestType::delay, len.cableEnd, len.wirePair, WirePair::notset));
            EXPECT_NEAR(len.value, delay.value * 0.299792458f * nvp, 0.1f) << r.summary.resultName;
            EXPECT_GT(len.value, 0.5f);
            EXPECT_LT(len.value, 125.0f) << r.summary.resultName;
        }
        const auto shortest = t.shortestLength();
        CopperScalarLimit limit;
        if (shortest.index < 0 || !t.body.limit->findScalarLimit(limit, CopperScalarLimitType::length)) continue;
        // Twisted-pair lengths are judged with 10 % allowed for the NVP's uncertainty.
        const bool coax = t.body.limit->mediaType == CopperLimit::MediaType::coax;
        const float allowed = limit.maxValue.toFloat() * (coax ? 1.0f : 1.1f);
        const CopperScalar& len = t.body.scalars[static_cast<size_t>(shortest.index)];
        if (len.status == Status::pass) {
            EXPECT_LE(len.value, allowed) << r.summary.resultName;
        } else {
            EXPECT_EQ(len.status, Status::fail) << r.summary.resultName;
            EXPECT_GT(len.value, allowed) << r.summary.resultName;
            EXPECT_EQ(t.body.status, Status::fail);
            ++tooLong;
        }
    }
    EXPECT_GT(tooLong, 0);
}

// RG6 with a bare copper centre: a loop of 0.02 to 0.03 ohm/m (and its two connectors); about 20 dB of
// insertion loss per 100 m at 1 GHz, rising with the square root of the frequency (and a little more).
void coaxLinksFitTheirCable() {
    int links = 0;
    for (const auto& result : copperResults()) {
        const CopperResult& r = *result;
        const CopperTest& t = *r.test;
        if (!t.body.cable.isCoax()) continue;
        ++links;
        CopperScalar len, loop;
        ASSERT_TRUE(t.findCopperScalar(len, CopperTestType::length, CableEnd::main, WirePair::pair2, WirePair::notset));
        ASSERT_TRUE(
            t.findCopperScalar(loop, CopperTestType::resist, CableEnd::main, WirePair::pair2, WirePair::notset));
        EXPECT_GT(loop.value, 0.02f * len.value) << r.summary.resultName;
        EXPECT_LT(loop.value, 0.03f * len.value + 0.1f) << r.summary.resultName;
        const CopperPlot* il = t.plots.findPlot(CopperTestType::il, CableEnd::main, WirePair::pair2, WirePair::pair2);
        ASSERT_NE(il, nullptr) << r.summary.resultName;
        const auto db = [il](int mhz) { return il->getDbFromIndex(static_cast<unsigned>(kHzToIdx(mhz * 1000))); };
        EXPECT_NEAR(db(1000) / len.value * 100.0f, 19.0f, 3.0f) << r.summary.resultName;
        EXPECT_NEAR(db(1000) / db(250), 2.1f, 0.25f) << r.summary.resultName;
    }
    EXPECT_GT(links, 0);
}

// The colour family of a wire: what a person calls it.
std::string colourName(uint32_t rgb) {
    const int r = static_cast<int>(rgb >> 16 & 0xFF), g = static_cast<int>(rgb >> 8 & 0xFF),
              b = static_cast<int>(rgb & 0xFF);
    if (b > r && b > g) return "blue";
    if (g > r && g > b) return "green";
    if (r > 200 && g > 90 && b < 80) return "orange";
    if (r > g && g > b && r < 200) return "brown";
    return "?";
}

void wiremapColoursFollowTheWiringStandard() {
    // Pins 1-8: the pair colour; the odd pins are the white, striped wire of their pair.
    const std::map<std::string, std::vector<std::string>> standard = {
        {"T568B", {"orange", "orange", "green", "blue", "blue", "green", "brown", "brown"}},
        {"T568A", {"green", "green", "orange", "blue", "blue", "orange", "brown", "brown"}},
    };
    std::set<std::string> wirings, faults;
    for (const auto& result : copperResults()) {
        const CopperResult& r = *result;
        const CopperTestBody& b = r.test->body;
        if (b.cable.isCoax()) {
            // Coax carries coax tests only: no pairs to map, no crosstalk.
            EXPECT_TRUE(b.wiremap.connections.empty() && b.wiremap.opens.empty()) << r.summary.resultName;
            EXPECT_FALSE(r.test->hasCopperFreq(CopperTestType::next));
            EXPECT_EQ(b.outletConfig.artifacts.size(), 1u);
            continue;
        }
        const auto wiring = standard.find(b.outletConfig.name);
        ASSERT_NE(wiring, standard.end()) << b.outletConfig.name;
        EXPECT_EQ(b.settings.outletConfiguration, b.outletConfig.name);
        wirings.insert(b.outletConfig.name);
        const WireMapData data(&b.wiremap, &b.outletConfig, 1, 1);
        for (int pin = 1; pin <= 8; ++pin) {
            EXPECT_EQ(colourName(data.pinColor(static_cast<Pin>(pin), CableEnd::main)),
                      wiring->second[static_cast<size_t>(pin - 1)])
                << pin;
            EXPECT_EQ(data.isDashed(static_cast<Pin>(pin), CableEnd::main), pin % 2 == 1) << pin;
        }
        // What the map holds, by the fault it shows.
        const auto& w = b.wiremap;
        if (!w.opens.empty()) faults.insert(w.opens[0].pin == Pin::shield ? "shield open" : "open");
        if (!w.shorts.empty()) faults.insert("short");
        if (!w.splitPairs.empty()) faults.insert("split");
        for (const auto& c : w.connections) {
            if (c.mainPin == c.remotePin) continue;
            const int a = static_cast<int>(c.mainPin), z = static_cast<int>(c.remotePin);
            faults.insert(a == 1 && z == 2 ? "reversed" : (a == 1 && z == 3 ? "crossed" : "miswire"));
        }
        EXPECT_EQ(w.status, w.opens.empty() && w.shorts.empty() && w.splitPairs.empty() &&
                                    std::all_of(w.connections.begin(), w.connections.end(),
                                                [](const auto& c) { return c.mainPin == c.remotePin; })
                                ? Status::pass
                                : Status::fail)
            << r.summary.resultName;
    }
    EXPECT_EQ(wirings.size(), 2u);
    EXPECT_EQ(faults,
              (std::set<std::string>{"open", "short", "reversed", "crossed", "split", "miswire", "shield open"}));
}

void aCrewRetestsItsFailuresWithCalibratedUnitsButOne() {
    // Per cable id, the verdicts in time order.
    std::map<std::string, std::vector<std::pair<int64_t, Status>>> byCable;
    for (const Stored& s : stocked()) byCable[s.summary.resultName].emplace_back(s.summary.timeStamp, s.summary.status);
    int retests = 0;
    for (auto& [name, runs] : byCable) {
        std::sort(runs.begin(), runs.end());
        for (size_t k = 1; k < runs.size(); ++k)
            retests += runs[k - 1].second == Status::fail && runs[k].second != Status::fail &&
                       runs[k - 1].first / 86400 == runs[k].first / 86400;
    }
    EXPECT_GT(retests, 2);

    std::set<std::string> serials, software, operators, pastDue;
    int64_t first = INT64_MAX, last = 0;
    for (const auto& result : copperResults()) {
        const CopperResult& r = *result;
        const CopperTestBody& b = r.test->body;
        serials.insert(b.mainEquipInfo.modelSerialNumber);
        software.insert(b.mainEquipInfo.softwareVersion);
        operators.insert(b.operatorName);
        first = std::min(first, b.timestamp);
        last = std::max(last, b.timestamp);
        // A module is due a year after its calibration.
        if (b.timestamp - b.mainEquipInfo.moduleCalibrationTime > 365 * 86400)
            pastDue.insert(b.mainEquipInfo.modelSerialNumber);
        EXPECT_GT(b.mainEquipInfo.moduleCalibrationTime, b.timestamp - 2 * 365 * 86400);
    }
    EXPECT_GE(serials.size(), 2u);
    EXPECT_GE(software.size(), 2u);
    EXPECT_GE(operators.size(), 3u);
    EXPECT_GT(last - first, 21 * 86400);
    EXPECT_EQ(pastDue.size(), 1u);
}

// --- fiber ---

Status verdictOf(const FiberResult& r) {
    Status s = Status::show;
    for (const auto& t : r.tests) s = mergeStatus(s, t->summary.status);
    return s == Status::failStar ? Status::fail : s;
}

// Every kind of fiber test is among the stock's own records, and one fiber tested from each end is stored as a
// result per end.
void fiberResultsSayWhatTheirTestsSay() {
    std::set<FiberTestType> kinds;
    std::map<std::string, std::set<std::set<FiberTestType>>> byName;
    for (const auto& r : fiberResults()) {
        EXPECT_EQ(r->summary.status, verdictOf(*r)) << r->summary.resultName;
        if (!ownRecord(r->summary)) continue;
        std::set<FiberTestType> types;
        for (const auto& t : r->tests) types.insert(t->summary.testType);
        kinds.insert(types.begin(), types.end());
        byName[r->summary.resultName].insert(types);
    }
    for (auto type :
         {FiberTestType::otdrEnd1, FiberTestType::otdrEnd2, FiberTestType::bidirectionalOtdr, FiberTestType::faultMap,
          FiberTestType::realTimeTraceEnd1, FiberTestType::imageEnd1, FiberTestType::imageEnd2,
          FiberTestType::lossLength, FiberTestType::powerMeterEnd1, FiberTestType::powerMeterEnd2})
        EXPECT_EQ(kinds.count(type), 1u) << toString(type);
    const std::set<std::set<FiberTestType>> endsApart{{FiberTestType::otdrEnd1}, {FiberTestType::otdrEnd2}};
    EXPECT_TRUE(std::any_of(byName.begin(), byName.end(), [&](const auto& n) { return n.second == endsApart; }));
}

void lossLengthMarginsAreTheBudgetLessTheLoss() {
    int failing = 0;
    bool bothWays = false;
    for (const auto& r : fiberResults()) {
        for (const auto& test : r->tests) {
            const auto* t = dynamic_cast<const FiberLossLengthTest*>(test.get());
            if (t == nullptr) continue;
            Status worst = Status::pass;
            std::set<CableEnd> ends;
            for (const auto& e : t->testPerDirectionWlVec) {
                ends.insert(e.direction);
                const FiberCheckLimitResult* c = e.getMaxLossCheckLimitResult();
                ASSERT_NE(c, nullptr);
                EXPECT_EQ(c->margin.value.toDouble(), (c->limitValue - e.dB()).toDouble()) << r->summary.resultName;
                EXPECT_EQ(c->status, c->margin.value.value < 0 ? Status::fail : Status::pass);
                worst = mergeStatus(worst, c->status);
                // The budget: attenuation allowance times length, 0.75 dB a mated pair, 0.3 dB a splice.
                const auto v = t->limit.getFiberLimitValues(t->fiber.category, e.wavelength);
                ASSERT_TRUE(v);
                const double budget =
                    v->getValue(FiberLimitValueType::maxOverallAttenCoef).toDouble() * t->length.toDouble() / 1000.0 +
                    0.75 * t->settings.numAdapters + 0.3 * t->settings.numSplices;
                EXPECT_NEAR(c->limitValue.toDouble(), budget, 0.011) << r->summary.resultName;
                EXPECT_GT(e.dB().toDouble(), 0.0);
            }
            for (const auto& c : t->limitResults.results) worst = mergeStatus(worst, c.status);
            EXPECT_EQ(t->summary.status, worst) << r->summary.resultName;
            failing += worst == Status::fail ? 1 : 0;
            bothWays = bothWays || (ends.size() == 2 && ownRecord(r->summary));
        }
    }
    EXPECT_GT(failing, 0);
    EXPECT_TRUE(bothWays);
}

// A straight line through the trace's samples between two distances: value at `x`.
bool fitAt(const FiberOtdrPlot& p, double from, double to, double x, double& at) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < p.dataPoints.size(); ++i) {
        const double d = p.getLength(static_cast<float>(i));
        if (d < from || d > to) continue;
        const double y = p.getDbByIndex(static_cast<unsigned>(i));
        n += 1;
        sx += d;
        sy += y;
        sxx += d * d;
        sxy += d * y;
    }
    if (n < 8) return false;
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    at = (sy - slope * sx) / n + slope * x;
    return true;
}

void otdrEventsSitOnTheirTraces() {
    int peaks = 0, steps = 0;
    for (const auto& r : fiberResults()) {
        for (const auto& test : r->tests) {
            const auto* t = dynamic_cast<const FiberOtdrTest*>(test.get());
            if (t == nullptr || t->summary.testType == FiberTestType::bidirectionalOtdr) continue;
            const std::string what = r->summary.resultName + " " + toString(t->summary.testType);
            // Wavelengths differ in slope and level: no two traces are the same curve.
            for (size_t a = 0; a + 1 < t->plots.plots.size(); ++a)
                EXPECT_NE(t->plots.plots[a].dataPoints, t->plots.plots[a + 1].dataPoints) << what;
            if (t->summary.testType == FiberTestType::faultMap) {
                for (const auto& row : t->eventTable.rows)
                    EXPECT_LE(row.lengthTolMeas.value.toDouble(), r->summary.length.value.toDouble() + 1.0) << what;
            }
            const auto& rows = t->eventTable.rows;
            for (const FiberOtdrEvent& e : t->eventTable.events) {
                const FiberOtdrPlot* p = t->plots.getPlot(e.wavelength);
                ASSERT_NE(p, nullptr) << what;
                const double x = e.lengthTolMeas.value.toDouble();
                const double spacing = p->getLength(1.0f) - p->getLength(0.0f);
                ASSERT_LT(e.plotIndex + 1, p->dataPoints.size()) << what;
                EXPECT_NEAR(p->getLength(static_cast<float>(e.plotIndex)), x, spacing) << what;
                if (e.reflectanceTolMeas.value.isFinite()) {
                    // A reflection: the highest sample within one sample spacing is a peak of the trace.
                    const auto& d = p->dataPoints;
                    const uint32_t i = e.plotIndex;
                    size_t top = i - 1;
                    for (size_t k = i - 1; k <= i + 1; ++k)
                        if (d[k] > d[top]) top = k;
                    EXPECT_GE(d[top], d[top - 1]) << what << " at " << x;
                    EXPECT_GE(d[top], d[top + 1]) << what << " at " << x;
                    EXPECT_GT(d[top] - d[i - 3], p->dataPointsScale / 4) << what << " at " << x;
                    ++peaks;
                    continue;
                }
                if (!e.lossTolMeas.value.isFinite()) continue;
                // A non-reflective loss: the backscatter steps down by it.
                const double prev = e.rowIndex > 0 ? rows[e.rowIndex - 1].lengthTolMeas.value.toDouble() : 0.0;
                const double next =
                    e.rowIndex + 1 < rows.size() ? rows[e.rowIndex + 1].lengthTolMeas.value.toDouble() : x + 200.0;
                const double reach = std::min({70.0, (x - prev) - 15.0, (next - x) - 15.0});
                double before = 0, after = 0;
                // Past the pulse's length on either side: the step is spread over one pulse.
                if (reach < 30.0 || !fitAt(*p, x - reach, x - 3.0, x, before) ||
                    !fitAt(*p, x + 15.0, x + reach, x, after))
                    continue;
                EXPECT_NEAR(before - after, e.lossTolMeas.value.toDouble(), 0.06) << what << " at " << x;
                ++steps;
            }
        }
    }
    EXPECT_GT(peaks, 100);
    EXPECT_GT(steps, 10);
}

void bothEndsOfAFiberSeeOneLink() {
    int pairs = 0;
    for (const auto& r : fiberResults()) {
        const auto* one = dynamic_cast<const FiberOtdrTest*>(r->getTest(FiberTestType::otdrEnd1));
        const auto* two = dynamic_cast<const FiberOtdrTest*>(r->getTest(FiberTestType::otdrEnd2));
        if (!one || !two) continue;
        ++pairs;
        const auto& a = one->eventTable.rows;
        const auto& b = two->eventTable.rows;
        ASSERT_EQ(a.size(), b.size()) << r->summary.resultName;
        EXPECT_NEAR(one->overallResults.lengthTolMeas.value.toDouble(),
                    two->overallResults.lengthTolMeas.value.toDouble(), 0.11);
        // Seen from the other end, everything between the launch and tail connectors is mirrored.
        const double launch = a.front().lengthTolMeas.value.toDouble();
        const double tail = a[a.size() - 2].lengthTolMeas.value.toDouble();
        for (size_t k = 0; k + 1 < a.size(); ++k)
            EXPECT_NEAR(a[k].lengthTolMeas.value.toDouble(),
                        launch + tail - b[b.size() - 2 - k].lengthTolMeas.value.toDouble(), 0.15)
                << r->summary.resultName;
    }
    EXPECT_GT(pairs, 2);
}

}  // namespace

// ctest runs every test in a process of its own, and stocking 500 records is the costly part: the copper
// checks share one stock, the fiber checks another (a failure's line names its check).
TEST(StockPhysics, CopperResultsArePhysicallyTrue) {
    copperVerdictsAreTheDatasOwn();
    copperLengthsFollowTheDelaysAndStayWithinTheirLimit();
    coaxLinksFitTheirCable();
    wiremapColoursFollowTheWiringStandard();
    aCrewRetestsItsFailuresWithCalibratedUnitsButOne();
}

TEST(StockPhysics, FiberResultsArePhysicallyTrue) {
    fiberResultsSayWhatTheirTestsSay();
    lossLengthMarginsAreTheBudgetLessTheLoss();
    otdrEventsSitOnTheirTraces();
    bothEndsOfAFiberSeeOneLink();
}
