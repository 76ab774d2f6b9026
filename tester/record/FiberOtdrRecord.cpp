// OTDR entry points of a fiber record: OTDR, event-map, fault-map and real-time tests, traces, the
// bidirectional average, the SR-4731 series, tested wavelengths and the span.
#include <algorithm>
#include <cmath>
#include <set>

#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrBidiAvg.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberResult.h"
#include "fiber/FiberSr4731.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/FiberRecordUtil.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

using namespace FiberRecord;

namespace {

// Native OTDR test type of a host end: 1 and 2 the single ends, 3 the bidirectional test.
FiberTestType otdrTypeOfEnd(int end) {
    const int hostId = EnumMapper::EndToOtdrTestType(end);
    if (hostId == 0) return FiberTestType::notSet;
    return EnumConverter::KestrixShareFibTestType(hostId);
}

// Where a trace ends, in metres.
double traceLength(const FiberOtdrPlot& p) {
    if (p.dataPoints.empty()) return 0.0;
    return p.getLength(static_cast<float>(p.dataPoints.size() - 1));
}

}  // namespace

void TestRecordTarvel::SetOtdrModifications(std::shared_ptr<IOtdrModifications> edits) {
    _otdrEdits = std::move(edits);
}

const FiberOtdrTest* TestRecordTarvel::fiberOtdrTest(FiberTestType type) {
    if (type == FiberTestType::notSet) return nullptr;
    FiberResult* fiber = GetFiberResult();
    if (fiber == nullptr) return nullptr;
    return dynamic_cast<const FiberOtdrTest*>(fiber->getTest(type));
}

OtdrTest TestRecordTarvel::otdrWithEdits(const FiberOtdrTest& t, int hostId, bool edits) {
    OtdrTest test = convertOtdrTest(t, hostId);
    if (edits && _otdrEdits) {
        _otdrEdits->ApplyOtdrModificationsToTest(test);
        test.UserEditsApplied = true;
    }
    return test;
}

bool TestRecordTarvel::HasOtdrTest(int end) { return fiberOtdrTest(otdrTypeOfEnd(end)) != nullptr; }

boost::optional<OtdrTest> TestRecordTarvel::GetOtdrTest(int end) {
    const FiberTestType type = otdrTypeOfEnd(end);
    const FiberOtdrTest* t = fiberOtdrTest(type);
    if (t == nullptr) return boost::none;
    return otdrWithEdits(*t, EnumConverter::FiberTestType(type), true);
}

bool TestRecordTarvel::HasEventMapTest() { return HasOtdrTest(1) || HasOtdrTest(2) || HasOtdrTest(3); }

boost::optional<EventMapTable> TestRecordTarvel::GetEventMapTest() {
    for (int end : {3, 1, 2}) {
        const FiberTestType type = otdrTypeOfEnd(end);
        if (const FiberOtdrTest* t = fiberOtdrTest(type)) return convertEventMap(*t, type);
    }
    return boost::none;
}

boost::optional<OtdrPlotData> TestRecordTarvel::GetOtdrPlotData(int end, bool raw) {
    if (end != 1 && end != 2) return boost::none;
    const FiberTestType type = otdrTypeOfEnd(end);
    const FiberOtdrTest* t = fiberOtdrTest(type);
    if (t == nullptr) return boost::none;
    OtdrPlotData data = convertPlots(*t, EnumConverter::FiberTestType(type));
    if (!raw && _otdrEdits) _otdrEdits->ApplyOtdrModificationsToPlotData(data);
    return data;
}

bool TestRecordTarvel::HasFaultMapTest() { return fiberOtdrTest(FiberTestType::faultMap) != nullptr; }

boost::optional<FaultMapTest> TestRecordTarvel::GetFaultMapTest() {
    const FiberOtdrTest* t = fiberOtdrTest(FiberTestType::faultMap);
    if (t == nullptr) return boost::none;
    return FaultMapTest(convertEventMap(*t, FiberTestType::faultMap));
}

boost::optional<OtdrTest> TestRecordTarvel::GetFaultMapOtdrTest() {
    const FiberOtdrTest* t = fiberOtdrTest(FiberTestType::faultMap);
    if (t == nullptr) return boost::none;
    return otdrWithEdits(*t, EnumConverter::FiberTestType(FiberTestType::faultMap), true);
}

boost::optional<OtdrPlotData> TestRecordTarvel::GetFaultMapPlotData() {
    const FiberOtdrTest* t = fiberOtdrTest(FiberTestType::faultMap);
    if (t == nullptr) return boost::none;
    return convertPlots(*t, EnumConverter::FiberTestType(FiberTestType::faultMap));
}

bool TestRecordTarvel::HasRealTimeOtdrTest(int end) {
    if (end != 1 && end != 2) return false;
    return fiberOtdrTest(end == 1 ? FiberTestType::realTimeTraceEnd1 : FiberTestType::realTimeTraceEnd2) != nullptr;
}

boost::optional<OtdrTest> TestRecordTarvel::GetRealTimeOtdrTest(int end) {
    if (!HasRealTimeOtdrTest(end)) return boost::none;
    const FiberTestType type = end == 1 ? FiberTestType::realTimeTraceEnd1 : FiberTestType::realTimeTraceEnd2;
    const FiberOtdrTest& t = *fiberOtdrTest(type);
    const int id = EnumConverter::FiberTestType(type);
    OtdrTest test(id);
    std::set<int> seen;
    for (const FiberOtdrPlot& p : t.plots.plots) {
        if (p.wavelength == 0 || !seen.insert(p.wavelength).second) continue;
        OtdrWavelengthData w(p.wavelength);
        w.Measurements.emplace_back(id, 1);
        test.Wavelengths.push_back(std::move(w));
    }
    test.Brief = id;
    return test;
}

boost::optional<OtdrPlotData> TestRecordTarvel::GetRealTimeOtdrPlotData(int end) {
    if (!HasRealTimeOtdrTest(end)) return boost::none;
    const FiberTestType type = end == 1 ? FiberTestType::realTimeTraceEnd1 : FiberTestType::realTimeTraceEnd2;
    return convertPlots(*fiberOtdrTest(type), EnumConverter::FiberTestType(type));
}

TestRecordTarvel::BidirAvgOutcome TestRecordTarvel::bidirAverage(const FiberOtdrTest* end1, const FiberOtdrTest* end2) {
    BidirAvgOutcome out;
    if (end1 == nullptr || end2 == nullptr) {
        out.ErrorId = 63;
        return out;
    }
    OtdrBidiResult merged = createBidiTest(*end1, *end2);
    if (const auto* error = std::get_if<OtdrBidiError>(&merged)) {
        switch (*error) {
            case OtdrBidiError::endsDontCorrespond: out.ErrorId = 61; break;
            case OtdrBidiError::wavelengthsDiffer: out.ErrorId = 62; break;
            case OtdrBidiError::launchWithoutTail: out.ErrorId = 80; break;
            default: out.ErrorId = 63; break;
        }
        return out;
    }
    const auto& test = std::get<std::unique_ptr<FiberOtdrTest>>(merged);
    if (!test) {
        out.ErrorId = 63;
        return out;
    }
    out.Test = otdrWithEdits(*test, EnumConverter::FiberTestType(FiberTestType::bidirectionalOtdr), true);
    return out;
}

TestRecordTarvel::BidirAvgOutcome TestRecordTarvel::GenerateOtdrBidirAvgFromResult() {
    return bidirAverage(fiberOtdrTest(FiberTestType::otdrEnd1), fiberOtdrTest(FiberTestType::otdrEnd2));
}

TestRecordTarvel::BidirAvgOutcome TestRecordTarvel::GenerateOtdrBidirAvgFromResult(TestRecordTarvel* other) {
    if (other == nullptr) return BidirAvgOutcome{boost::none, 63};
    return bidirAverage(fiberOtdrTest(FiberTestType::otdrEnd1), other->fiberOtdrTest(FiberTestType::otdrEnd2));
}

bool TestRecordTarvel::LoadBellcoreData(OtdrPlotData& plotData, int end) {
    if (end != 1 && end != 2) return false;
    const FiberOtdrTest* t = fiberOtdrTest(end == 1 ? FiberTestType::otdrEnd1 : FiberTestType::otdrEnd2);
    if (t == nullptr) return false;
    bool added = false;
    const auto& perWls = t->overallResults.perWls();
    for (size_t i = 0; i < perWls.size() && i < plotData.Series.size(); ++i) {
        const int wavelength = perWls[i].wavelength;
        if (wavelength == 0) continue;
        const FiberSr4731 view(*t, wavelength);
        const int32_t points = view.getNumDataPoints();
        const int32_t offset = view.getAcqOffset();
        // Overall results without a trace, or a trace that ends before the acquisition offset, have no
        // series: reading past its end would only repeat its last sample.
        if (points <= 0 || offset < 0 || offset >= points) continue;
        SeriesMeasurement& series = plotData.Series[i];
        series.Parameters = {{8, view.getUserOffset()},
                             {9, view.getEndMarker()},
                             {10, view.getPWU()},
                             {11, view.getDataSpacing()},
                             {12, points},
                             {13, view.getBackscatterCoef()},
                             {14, view.averages()},
                             {15, view.getAcqRange()},
                             {16, view.getNoiseFloorLevel()},
                             {17, view.getLossThreshold()},
                             {18, view.getReflThreshold()},
                             {19, view.getEndThreshold()}};
        SeriesMeasurement bellcore(series.Id);
        bellcore.Wavelength = wavelength;
        bellcore.XAxisUnit = 0;
        bellcore.Parameters = series.Parameters;
        const int64_t upper = view.getUpperBound();
        bellcore.Y.reserve(static_cast<size_t>(points));
        for (int32_t j = 0; j < points; ++j)
            bellcore.Y.push_back(
                static_cast<double>(upper - view.getPoint(static_cast<uint32_t>(j) + static_cast<uint32_t>(offset))));
        bellcore.Count = points;
        plotData.AddSeriesBellcore(std::move(bellcore));
        added = true;
    }
    return added;
}

std::vector<int> TestRecordTarvel::GetTestedFiberWavlengths(int id) {
    std::set<int> wavelengths;
    FiberResult* fiber = GetFiberResult();
    if (fiber == nullptr) return {};
    const HostTestCategory category = EnumMapper::TestTypeToCategory(id);
    if (category == HostTestCategory::otdr) {
        const auto* t = dynamic_cast<const FiberOtdrTest*>(fiber->getTest(EnumConverter::KestrixShareFibTestType(id)));
        if (t != nullptr)
            for (const auto& pw : t->overallResults.perWls())
                if (pw.wavelength != 0) wavelengths.insert(pw.wavelength);
    } else if (category == HostTestCategory::loss) {
        const auto* t = dynamic_cast<const FiberLossLengthTest*>(fiber->getTest(FiberTestType::lossLength));
        const CableEnd direction = id == 20 ? CableEnd::end1 : CableEnd::end2;
        if (t != nullptr)
            for (const auto& e : t->testPerDirectionWlVec)
                if (e.direction == direction && e.wavelength != 0) wavelengths.insert(e.wavelength);
    }
    return {wavelengths.begin(), wavelengths.end()};
}

boost::optional<OtdrSegment> TestRecordTarvel::GetSpanFromResult() {
    for (int end : {1, 2}) {
        const FiberTestType type = end == 1 ? FiberTestType::otdrEnd1 : FiberTestType::otdrEnd2;
        const FiberOtdrTest* t = fiberOtdrTest(type);
        if (t == nullptr) continue;
        const OtdrTest test = otdrWithEdits(*t, EnumConverter::FiberTestType(type), false);
        if (!test.SegmentLocSetByTester) return boost::none;
        std::vector<double> lengths;
        for (const FiberOtdrPlot& p : t->plots.plots)
            if (!p.dataPoints.empty()) lengths.push_back(traceLength(p));
        const OtdrSpanValidator validator(std::move(lengths));
        double start = test.SegmentLocSetByTester->Start;
        double stop = test.SegmentLocSetByTester->Stop;
        if (!validator.AutoCorrect(start, stop) || !validator.Evaluate(start, stop)) return boost::none;
        OtdrSegment segment;
        segment.Start = start;
        segment.Stop = stop;
        segment.End = test.SegmentLocSetByTester->End;
        for (const OtdrWavelengthData& w : test.Wavelengths) {
            OtdrWavelengthData copy(w.Wavelength);
            copy.Measurements = w.Measurements;
            segment.Wavelengths.push_back(std::move(copy));
        }
        return segment;
    }
    return boost::none;
}

}  // namespace Kestrix::Tester
