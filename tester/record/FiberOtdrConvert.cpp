// OTDR tests of a fiber record as host objects: overall results, events, settings, warnings, the event
// map and the traces.
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "fiber/FiberOtdrEventTypes.h"
#include "fiber/FiberOtdrTest.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/FiberRecordUtil.h"
#include "tester/host/TarvelFiberLimit.h"

namespace Kestrix::Tester::FiberRecord {

namespace {

// Event indices of each row, in table order: built once so a table is converted in linear time.
std::vector<std::vector<size_t>> eventsByRow(const FiberOtdrEventTable& table) {
    std::vector<std::vector<size_t>> byRow(table.rowCount());
    for (size_t i = 0; i < table.events.size(); ++i) {
        const size_t row = table.events[i].rowIndex;
        if (row < byRow.size()) byRow[row].push_back(i);
    }
    return byRow;
}

OtdrEvent convertEvent(const FiberOtdrEvent& e, int testId, const FiberOtdrEventTableRow& row, int mergedType,
                       const boost::optional<int>& splitter) {
    OtdrEvent ev;
    ev.Wavelength = e.wavelength;
    ev.Location = number(e.lengthTolMeas.value);
    ev.LocPosTolerance = e.lengthTolMeas.posTolerance;
    ev.LocNegTolerance = e.lengthTolMeas.negTolerance;
    ev.Type = row.userOverride ? mergedType : hostEventType(static_cast<int>(otdrEventType(e.anEventTypeFlags)));
    ev.IsHidden = (e.anEventTypeFlags & OtdrAnEventType::hidden) != 0;
    ev.SplitterRatio = splitter;
    ev.Status = EnumConverter::Status(e.status);
    ev.Loss = checkedMeasurement(testId, 5, displayParam(MeasKind::Value, e.lossTolMeas, 1),
                                 e.getCheckLimitResult(FiberLimitMetaType::maxLoss),
                                 e.getCheckLimitResult(FiberLimitMetaType::minLoss), 1);
    ev.Reflectance = checkedMeasurement(testId, 6, displayParam(MeasKind::Value, e.reflectanceTolMeas, 1),
                                        e.getCheckLimitResult(FiberLimitMetaType::maxReflectance),
                                        e.getCheckLimitResult(FiberLimitMetaType::minReflectance), 1);
    ev.AttenCoeff = checkedMeasurement(testId, 7, displayParam(MeasKind::Value, e.attnCoefTolMeas, 13),
                                       e.getCheckLimitResult(FiberLimitMetaType::maxAttenCoef),
                                       e.getCheckLimitResult(FiberLimitMetaType::minAttenCoef), 13);
    ev.Backscatter = MeasParam(MeasKind::Value, std::isfinite(e.bsPrior) ? e.bsPrior : NAN, 1, 2);
    ev.BackscatterIsQuestionable = (e.anEventTypeFlags & OtdrAnEventType::quesBs) != 0;
    for (auto* m : {&ev.Loss, &ev.Reflectance, &ev.AttenCoeff}) m->Wavelength = e.wavelength;
    return ev;
}

MergedEvent convertRow(const FiberOtdrEventTable& table, size_t rowIndex, const std::vector<size_t>& rowEvents,
                       int testId) {
    const FiberOtdrEventTableRow& row = table.rows[rowIndex];
    MergedEvent m;
    m.Location = number(row.lengthTolMeas.value);
    m.LocPosTolerance = row.lengthTolMeas.posTolerance;
    m.LocNegTolerance = row.lengthTolMeas.negTolerance;
    m.Status = EnumConverter::Status(row.rowStatus);
    m.Type = hostEventType(static_cast<int>(row.displayEventType()));
    if (m.Type == 17) m.SplitterRatio = hostSplitterRatio(static_cast<int>(row.splitRatio));
    // The first event of each wavelength, wavelengths ascending.
    std::vector<size_t> ordered(rowEvents);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&table](size_t a, size_t b) { return table.events[a].wavelength < table.events[b].wavelength; });
    int lastWavelength = -1;
    for (size_t i : ordered) {
        const FiberOtdrEvent& e = table.events[i];
        if (e.wavelength == lastWavelength) continue;
        lastWavelength = e.wavelength;
        m.Events.push_back(convertEvent(e, testId, row, m.Type, m.SplitterRatio));
    }
    return m;
}

// Hidden groups: each "Begin" row with the n-th "End" row (the last one when there are fewer), in one pass.
std::vector<std::pair<int, int>> hiddenGroups(const FiberOtdrEventTable& table) {
    std::vector<size_t> begins;
    std::vector<size_t> ends;
    for (size_t i = 0; i < table.rows.size(); ++i) {
        if (table.rows[i].hiddenGroupMarker == HiddenGroupMarker::begin) begins.push_back(i);
        if (table.rows[i].hiddenGroupMarker == HiddenGroupMarker::end) ends.push_back(i);
    }
    std::vector<std::pair<int, int>> groups;
    for (size_t n = 0; n < begins.size(); ++n) {
        const size_t last = n < ends.size() ? ends[n] : (ends.empty() ? 0 : ends.back());
        groups.emplace_back(static_cast<int>(begins[n]), static_cast<int>(last));
    }
    return groups;
}

int mode(bool automatic, bool manualChoice) { return automatic ? 1 : (manualChoice ? 2 : 1); }

// `testType` is the test's own type (end 1, end 2, bidirectional, ...), which the host wants in place of the
// setup kind the tester ran.
OtdrSettings convertSettings(const FiberOtdrSettings& s, FiberTestType testType, int wavelength) {
    const bool automatic = s.fiberTestType == TestType::autoOtdr || s.fiberTestType == TestType::autoVexloop ||
                           s.fiberTestType == TestType::autoPonOtdr;
    OtdrSettings o;
    o.TestType = EnumConverter::FiberTestType(testType);
    if (const FiberOtdrSettingsPerWl* pw = s.getSettingsPerWl(wavelength)) {
        o.RangeMode = mode(automatic, s.otdrRange != OtdrRange::autoRange);
        o.Range = MeasParam(MeasKind::Value, number(pw->actualOtdrRange), 4, 0);
        o.ResolutionMode = 1;
        o.Resolution = MeasParam(MeasKind::Value, number(pw->actualResolution), 4, pw->actualResolution.precision());
        o.PulseWidthMode = mode(automatic, pw->nominalOtdrPulseWidth != 0);
        o.PulseWidth = MeasParam(MeasKind::Value, static_cast<double>(pw->otdrPulseWidth), 5, 1);
        o.AveragingTimeMode = mode(automatic, static_cast<int>(s.otdrAveragingTime) > 2);
        o.AveragingTime = MeasParam(MeasKind::Value, number(pw->actualOtdrAveragingTime), 16, 0);
    }
    o.LossThresholdMode = mode(automatic, s.lossThresholdAutoOrManual != AutoOrManual::autoMode);
    o.LossThreshold = MeasParam(MeasKind::Value, number(s.nominalLossThreshold), 1, s.nominalLossThreshold.precision());
    o.EndThresholdMode = mode(automatic, s.endThresholdAutoOrManual != AutoOrManual::autoMode);
    o.EndThreshold = MeasParam(MeasKind::Value, number(s.endThreshold), 1, 2);
    for (OtdrSplitterRatio r : s.splitterEntries) o.SplitterRatioList.push_back(static_cast<int>(r));
    o.MacrobendDetectionEnabled = s.otdrBendDetectionEnabled;
    for (const auto& [pair, threshold] : s.otdrBendThresholdMap)
        o.MacrobendThresholds.push_back(MacrobendThreshold{static_cast<int>(pair), number(threshold)});
    return o;
}

// Warning bits of the test and the host warning each one raises, in the host's order.
struct WarningBit {
    int bit;
    int code;
};
constexpr WarningBit kWarningsBefore[] = {{9, 19}, {25, 20}, {2, 2},  {4, 1},  {6, 3},
                                          {8, 4},  {10, 6},  {11, 1}, {14, 7}, {15, 12}};
constexpr WarningBit kWarningsMiddle[] = {{23, 9}, {26, 13}, {24, 10}, {13, 17}, {12, 18}};
constexpr WarningBit kWarningsAfter[] = {{0, 21}, {1, 22}, {27, 23}};

bool bitSet(uint32_t flags, int bit) { return ((flags >> bit) & 1u) != 0; }

void addWarnings(OtdrTest& test, uint32_t flags, uint32_t values) {
    const auto add = [&](const WarningBit& w) {
        if (bitSet(flags, w.bit)) test.AddWarning(w.code, bitSet(values, w.bit));
    };
    for (const WarningBit& w : kWarningsBefore) add(w);
    constexpr uint32_t kBits16to19 = 0xFu << 16;
    if ((flags & kBits16to19) != 0) test.AddWarning(8, (values & kBits16to19) != 0);
    if (bitSet(flags, 21)) {
        test.AddWarning(11, bitSet(values, 21));
    } else if (bitSet(flags, 22)) {
        test.AddWarning(11, bitSet(values, 22));
    }
    for (const WarningBit& w : kWarningsMiddle) add(w);
    const bool b28 = bitSet(flags, 28);
    const bool b29 = bitSet(flags, 29);
    if (b28 && b29) {
        test.AddWarning(16, bitSet(values, 28) || bitSet(values, 29));
    } else if (b28) {
        test.AddWarning(14, bitSet(values, 28));
    } else if (b29) {
        test.AddWarning(15, bitSet(values, 29));
    }
    for (const WarningBit& w : kWarningsAfter) add(w);
}

constexpr uint32_t kSpanNotApplied = 1u << 30;

}  // namespace

namespace {

// One entry per tested wavelength: the overall length, loss and ORL with their limits, and the settings.
// Returns where each wavelength's entry is.
std::map<int, size_t> addWavelengths(OtdrTest& test, const FiberOtdrTest& t, const FiberMeasurement& length,
                                     int hostId) {
    std::map<int, size_t> byWavelength;
    for (const FiberOtdrOverallResultsPerWl& pw : t.overallResults.perWls()) {
        if (pw.wavelength == 0 || byWavelength.count(pw.wavelength) != 0) continue;
        OtdrWavelengthData w(pw.wavelength);
        w.Measurements.push_back(length);
        FiberMeasurement loss = checkedMeasurement(hostId, 1, displayParam(MeasKind::Value, pw.overallLossTolMeas, 1),
                                                   pw.getMaxOverallLossCheckLimitResult(),
                                                   pw.limitResults.get(FiberLimitValueType::minOverallLoss), 1);
        loss.Wavelength = pw.wavelength;
        w.Measurements.push_back(std::move(loss));
        FiberMeasurement orl = checkedMeasurement(hostId, 3, displayParam(MeasKind::Value, pw.overallOrlTolMeas, 1),
                                                  nullptr, pw.limitResults.get(FiberLimitValueType::minOverallORL), 1);
        orl.Wavelength = pw.wavelength;
        w.Measurements.push_back(std::move(orl));
        w.Settings = convertSettings(t.settings, t.testType(), pw.wavelength);
        byWavelength[pw.wavelength] = test.Wavelengths.size();
        test.Wavelengths.push_back(std::move(w));
    }
    return byWavelength;
}

// The merged events, each wavelength's events to its entry, and the launch and tail lengths the launch, tail
// and end events mark.
void addEvents(OtdrTest& test, const FiberOtdrEventTable& table, const std::map<int, size_t>& byWavelength,
               int hostId) {
    const auto rowEvents = eventsByRow(table);
    double launch = std::numeric_limits<double>::quiet_NaN();
    double tail = std::numeric_limits<double>::quiet_NaN();
    test.MergedEvents.reserve(table.rowCount());
    for (size_t r = 0; r < table.rowCount(); ++r) {
        MergedEvent m = convertRow(table, r, rowEvents[r], hostId);
        if (std::isnan(launch) && std::isfinite(m.Location)) launch = std::fabs(m.Location);
        if (m.Type == kOtdrEventLaunch && std::isfinite(launch)) test.LaunchLength = launch;
        if (m.Type == kOtdrEventTail) tail = m.Location;
        if (m.Type == kOtdrEventEnd && !std::isnan(tail)) test.TailLength = m.Location - tail;
        for (const OtdrEvent& e : m.Events) {
            const auto w = byWavelength.find(e.Wavelength);
            if (w != byWavelength.end()) test.Wavelengths[w->second].Events.push_back(e);
        }
        test.MergedEvents.push_back(std::move(m));
    }
}

}  // namespace

OtdrTest convertOtdrTest(const FiberOtdrTest& t, int hostId) {
    const FiberOtdrOverallResults& overall = t.overallResults;
    OtdrTest test(hostId);
    test.Status = EnumConverter::Status(t.summary.status);

    FiberMeasurement length = checkedMeasurement(hostId, 2, displayParam(MeasKind::Value, overall.lengthTolMeas, 4),
                                                 overall.limitResults.get(FiberLimitValueType::maxLength),
                                                 overall.limitResults.get(FiberLimitValueType::minLength), 4);
    length.Status = EnumConverter::Status(overall.lengthStatus);
    test.OverallLength = length;
    const std::map<int, size_t> byWavelength = addWavelengths(test, t, length, hostId);

    test.CompensationDate = HxDataDate::From1970(overall.launchCompTimestamp);
    test.LaunchLengthManuallyEntered = overall.launchCompModeUsed == LaunchCompMode::manual;
    addEvents(test, t.eventTable, byWavelength, hostId);

    test.EventMapTbl = convertEventMap(t, t.testType());
    test.BulkheadQuality = OtdrBulkheadQuality(1, 100, 25, 50, overall.connQuality);
    // Each warning carries whether it fails the test: a flag taken from the warnings themselves would be
    // true for every warning raised and tell the host nothing.
    addWarnings(test, overall.warningFlags, overall.failWarningFlags);

    const FibDbus::OtdrSpan& span = t.settings.span;
    if (span.isSet() && (overall.warningFlags & kSpanNotApplied) == 0) {
        test.SegmentLocSetByTester =
            OtdrSpanLocation{span.spanStart.toDouble(), span.spanEnd.toDouble(),
                             t.summary.cableEnd == CableEnd::end2 || t.testType() == FiberTestType::otdrEnd2 ? 2 : 1};
    }
    test.Limit = TarvelFiberLimit::fromLimit(t.limit);
    test.Brief = hostId;
    if (test.EventMapTbl) {
        test.EventMapTbl->End1Name = t.summary.end1Name;
        test.EventMapTbl->End2Name = t.summary.end2Name;
    }
    return test;
}

EventMapTable convertEventMap(const FiberOtdrTest& t, FiberTestType type) {
    EventMapTable map;
    if (type == FiberTestType::otdrEnd1 || type == FiberTestType::faultMap || type == FiberTestType::bidirectionalOtdr)
        map.PortEnd = 1;
    if (type == FiberTestType::otdrEnd2) map.PortEnd = 2;
    map.IsFaultMap = type == FiberTestType::faultMap;
    if (map.IsFaultMap && t.summary.cableEnd == CableEnd::end2) map.PortEnd = 2;
    const ScaledInt& length = t.overallResults.lengthTolMeas.value;
    map.FiberLength = MeasParam(MeasKind::LowerLimit, number(length), 4, length.precision());
    if (!map.IsFaultMap) {
        const FiberOtdrOverallResultsPerWl* largest = nullptr;
        for (const FiberOtdrOverallResultsPerWl& pw : t.overallResults.perWls()) {
            const ScaledInt& v = pw.overallLossTolMeas.value;
            if (!v.isFinite()) continue;
            if (largest == nullptr || v > largest->overallLossTolMeas.value) largest = &pw;
        }
        if (largest != nullptr) map.OverallLoss = displayParam(MeasKind::Value, largest->overallLossTolMeas, 1);
    }
    const int hostId = EnumConverter::FiberTestType(type);
    const auto convert = [&](const FiberOtdrEventTable& table) {
        const auto rowEvents = eventsByRow(table);
        map.Events.reserve(table.rowCount());
        for (size_t r = 0; r < table.rowCount(); ++r) map.Events.push_back(convertRow(table, r, rowEvents[r], hostId));
    };
    if (map.IsFaultMap) {
        convert(t.eventTable);
    } else {
        const FiberOtdrEventTable derived = t.eventTable.createEventMap();
        convert(derived);
        for (const auto& [first, last] : hiddenGroups(derived)) map.AddHiddenGroup(first, last);
    }
    if (!t.summary.end1Name.empty()) map.End1Name = t.summary.end1Name;
    if (!t.summary.end2Name.empty()) map.End2Name = t.summary.end2Name;
    return map;
}

OtdrPlotData convertPlots(const FiberOtdrTest& t, int hostId) {
    // The first "tail" event of each wavelength, found in one pass over the table.
    std::map<int, double> receiveFiber;
    for (const FiberOtdrEvent& e : t.eventTable.events) {
        if ((e.anEventTypeFlags & OtdrAnEventType::tail) == 0 || receiveFiber.count(e.wavelength) != 0) continue;
        const double at = number(e.lengthTolMeas.value);
        receiveFiber[e.wavelength] = std::isfinite(at) ? at : 0.0;
    }
    OtdrPlotData data(hostId);
    data.Series.reserve(t.plots.plots.size());
    for (const FiberOtdrPlot& p : t.plots.plots) {
        SeriesMeasurement s(hostId);
        s.Wavelength = p.wavelength;
        const size_t n = p.dataPoints.size();
        s.X.reserve(n);
        s.Y.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            s.X.push_back(p.getLength(static_cast<float>(i)));
            s.Y.push_back(p.getDbByIndex(static_cast<unsigned>(i)));
        }
        s.Count = static_cast<int>(std::min<size_t>(n, INT32_MAX));
        s.XAxisUnit = 4;
        s.HasLaunchFiber = p.zeroLengthIndex > 1.0f;
        const auto rf = receiveFiber.find(p.wavelength);
        s.ReceiveFiberMeters = rf != receiveFiber.end() ? rf->second : 0.0;
        s.NoiseFloorDb = p.noiseFloor;
        data.Series.push_back(std::move(s));
    }
    return data;
}

}  // namespace Kestrix::Tester::FiberRecord
