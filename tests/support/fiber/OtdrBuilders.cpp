#include "fiber/OtdrBuilders.h"

#include <algorithm>
#include <cmath>

#include "fiber/FiberBuilders.h"
#include "fiber/FiberResultWriter.h"

using namespace Kestrix;

namespace kx::test {

namespace {
constexpr double kIr = 1.4682;
namespace A = OtdrAnEventType;

float propTimeNs(double metres) { return static_cast<float>(metres * kIr / 0.299792458); }

ToleranceMeas tol(float v, ScaledInt::ScaledTo scale, float pos, float neg) {
    ToleranceMeas m(ScaledInt(v, scale), DisplayType::normal, pos, neg);
    m.deriveDisplayType();
    return m;
}

EquipmentInformation otdrUnit() {
    EquipmentInformation e;
    e.softwareVersion = "4.2.1";
    e.modelIdStr = "Ombrel2";
    e.modelHardwareRevision = 3;
    e.modelSerialNumber = "KZ2-104455";
    e.moduleId = 106;
    e.moduleHardwareRevision = 2;
    e.moduleSerialNumber = "GQ-55120";
    e.moduleCalibrationTime = 1751328000;
    e.moduleFirstUseDate = 1735689600;
    return e;
}
}  // namespace

std::vector<uint16_t> otdrWavelengths() { return {1310, 1490, 1550, 1625}; }

FiberOtdrEventTable otdrEventTable(const std::vector<OtdrRowSpec>& rows, const std::vector<uint16_t>& wavelengths) {
    FiberOtdrEventTable t;
    for (size_t i = 0; i < rows.size(); ++i) {
        const OtdrRowSpec& s = rows[i];
        FiberOtdrEventTableRow row;
        const float tolerance = 1.5f;
        row.lengthTolMeas = tol(static_cast<float>(s.location), ScaledInt::hundredths, tolerance, tolerance);
        row.rowStatus = Status::pass;
        row.propTime = propTimeNs(s.location);
        row.propTimePosTol = 7.0f;
        row.propTimeNegTol = 7.0f;
        row.hiddenGroupMarker = s.marker;
        row.eventType = otdrEventType(s.flags);
        t.rows.push_back(row);
        for (size_t k = 0; k < wavelengths.size(); ++k) {
            FiberOtdrEvent e;
            e.wavelength = wavelengths[k];
            e.rowIndex = static_cast<uint32_t>(i);
            e.status = Status::pass;
            e.eventGrade = 3;
            e.anEventTypeFlags = s.flags;
            e.plotIndex = static_cast<uint32_t>(s.location / 0.2);
            e.lengthTolMeas = row.lengthTolMeas;
            const bool reflective = !std::isnan(s.reflectance);
            e.reflectanceTolMeas = reflective
                                       ? tol(s.reflectance - static_cast<float>(k), ScaledInt::hundredths, 0.5f, 0.5f)
                                       : ToleranceMeas();
            e.lossTolMeas = std::isnan(s.loss) ? ToleranceMeas()
                                               : tol(s.loss * (1.0f + 0.1f * static_cast<float>(k)),
                                                     ScaledInt::hundredths, 0.02f, 0.02f);
            e.attnCoefTolMeas = tol(0.35f - 0.05f * static_cast<float>(k), ScaledInt::hundredths, 0.01f, 0.01f);
            if (!std::isnan(s.loss))
                e.limitResults.results.push_back(
                    checkResult(FiberLimitValueType::maxSpliceLoss, 0.3f, 0.3f - s.loss, Status::pass));
            if (reflective)
                e.limitResults.results.push_back(
                    checkResult(FiberLimitValueType::maxReflectance, -35.0f, -35.0f - s.reflectance, Status::pass));
            e.bsPrior = -20.0f - static_cast<float>(s.location) * 0.00035f;
            e.prevUsableBsPlotIndex = e.plotIndex > 10 ? e.plotIndex - 10 : 0;
            e.nextUsableBsPlotIndex = e.plotIndex + 10;
            e.propTime = row.propTime;
            e.propTimePosTol = 7.0f;
            e.propTimeNegTol = 7.0f;
            t.events.push_back(e);
        }
    }
    return t;
}

std::vector<OtdrRowSpec> end1Rows() {
    const float none = std::nanf("");
    return {
        {150.0, A::connector | A::launch, 0.25f, -48.0f},
        {612.4, A::splice, 0.08f, none},
        {1100.0, A::connector, 0.35f, -52.0f},
        {1101.2, A::refl, 0.02f, -61.0f, HiddenGroupMarker::begin},
        {1480.0, A::loss | A::hidden, 0.04f, none, HiddenGroupMarker::end},
        {2150.0, A::connector | A::tail, 0.30f, -45.0f},
        {2300.0, A::end, none, -14.0f},
    };
}

std::vector<OtdrRowSpec> end2Rows() {
    const float none = std::nanf("");
    // Locations seen from end 2: x2 = 2300 - x1.
    return {
        {150.0, A::connector | A::launch, 0.28f, -46.0f},
        {500.0, A::splice, 0.05f, none},
        {820.0, A::splice, 0.12f, none},
        {1199.7, A::connector, 0.41f, -50.5f},
        {1687.6, A::gainer, -0.03f, none},
        {2150.0, A::connector | A::tail, 0.22f, -47.0f},
        {2300.0, A::end, none, -14.5f},
    };
}

// A table of `rows` rows (launch, rows - 3 splices and connectors, tail, end) over `length` metres; end 2
// is the mirror image.
static std::vector<OtdrRowSpec> longRows(size_t rows, double length, bool end2) {
    std::vector<OtdrRowSpec> out;
    const float none = std::nanf("");
    const double launch = 150.0;
    const double tail = length - 150.0;
    out.push_back({launch, A::connector | A::launch, 0.25f, -48.0f});
    const size_t inner = rows >= 3 ? rows - 3 : 0;
    for (size_t i = 0; i < inner; ++i) {
        double x = launch + (tail - launch) * static_cast<double>(i + 1) / static_cast<double>(inner + 1);
        if (end2) x = length - x;
        const bool connector = i % 5 == 2;
        out.push_back({x, connector ? A::connector : A::splice, connector ? 0.3f : 0.06f, connector ? -50.0f : none});
    }
    if (end2) std::reverse(out.begin() + 1, out.end());
    out.push_back({tail, A::connector | A::tail, 0.3f, -45.0f});
    out.push_back({length, A::end, none, -14.0f});
    return out;
}

FiberLimit otdrLimit() {
    FiberLimit l;
    l.limitType = FiberLimitType::otdr;
    l.name = "General Fiber RL = 35 dB";
    return l;
}

FiberOtdrSettings otdrSettings() {
    FiberOtdrSettings s;
    for (uint16_t wl : otdrWavelengths()) {
        s.wavelengthsToTest.insert(wl);
        FiberOtdrSettingsPerWl p;
        p.wavelength = wl;
        p.actualOtdrRange = ScaledInt(4000.0f, ScaledInt::ones);
        p.actualResolution = ScaledInt(0.2f, ScaledInt::hundredths);
        p.actualOtdrAveragingTime = ScaledInt(5.0f, ScaledInt::tenths);
        p.otdrPulseWidth = 30;
        p.nominalOtdrPulseWidth = 30;
        p.numberOfAverages = 8192;
        s.perWl.push_back(p);
    }
    s.fiberTestType = TestType::autoOtdr;
    s.otdrRange = OtdrRange::km4;
    s.otdrAveragingTime = OtdrAveragingTime::s5;
    s.lossThresholdAutoOrManual = AutoOrManual::manual;
    s.nominalLossThreshold = ScaledInt(0.03f, ScaledInt::hundredths);
    s.endThresholdAutoOrManual = AutoOrManual::autoMode;
    s.endThreshold = ScaledInt(3.0f, ScaledInt::hundredths);
    s.launchCompensationEnabled = true;
    s.numConnectors = 2;
    s.numSplices = 3;
    s.bidi = true;
    s.fiberName = "OS2 Singlemode";
    s.fiberLimit = otdrLimit().name;
    s.reflectanceThreshold = -65;
    s.otdrBendThresholdMap[OtdrBendWavelengths::wl1310_1550] = ScaledInt(0.5f, ScaledInt::hundredths);
    s.otdrBendThresholdMap[OtdrBendWavelengths::wl1310_1625] = ScaledInt(0.6f, ScaledInt::hundredths);
    return s;
}

FiberOtdrPlot otdrPlot(uint16_t wavelength, uint32_t samples) {
    FiberOtdrPlot p;
    p.wavelength = wavelength;
    p.zeroLengthIndex = 12.5f;
    p.nsPerSample = 2.5f;
    p.ir = kIr;
    p.dataPointsScale = 1000;
    p.futLeftIndex = 25;
    p.futRightIndex = samples > 40 ? samples - 40 : 0;
    p.rightPlotBoundaryIndex = samples > 0 ? samples - 1 : 0;
    p.clipLevel = 0.5f;
    p.noiseFloor = -52.0f;
    p.dataPoints.reserve(samples);
    uint32_t state = 12345u + wavelength;
    for (uint32_t i = 0; i < samples; ++i) {
        state = state * 1664525u + 1013904223u;
        const int32_t noise = static_cast<int32_t>(state >> 24) - 128;
        int32_t v;
        if (i < 20)
            v = -1000 * static_cast<int32_t>(i);  // launch pulse fall
        else
            v = -20000 - static_cast<int32_t>(i) * 9;  // backscatter slope
        if (i % 400 == 200) v += 9000;                 // reflective event
        p.dataPoints.push_back(v + noise);
    }
    return p;
}

FiberOtdrOverallResults otdrOverallResults(bool end2) {
    FiberOtdrOverallResults o;
    o.overallStatus = Status::pass;
    o.lengthTolMeas = tol(2000.0f + (end2 ? 0.4f : 0.0f), ScaledInt::tenths, 1.5f, 1.5f);
    o.lengthStatus = Status::pass;
    o.limitResults.results.push_back(checkResult(FiberLimitValueType::maxLength, 10000.0f, 8000.0f, Status::pass));
    o.overallLossStatus = Status::pass;
    o.overallLossMeas = DisplayMeas(ScaledInt(1.62f, ScaledInt::hundredths), DisplayType::normal);
    o.headroom = DisplayMeas(ScaledInt(2.1f, ScaledInt::hundredths), DisplayType::normal);
    o.connQuality = 80;
    o.warningFlags = end2 ? 0x10000000u : 0;
    o.celsius = 23.5f;
    o.launchCompTimestamp = end2 ? 1764950000 : 1764940000;
    o.launchCompModeUsed = LaunchCompMode::measured;
    std::vector<FiberOtdrOverallResultsPerWl> per;
    for (uint16_t wl : otdrWavelengths()) {
        FiberOtdrOverallResultsPerWl p;
        p.wavelength = wl;
        p.actualWavelength = static_cast<float>(wl) + 1.7f;
        p.overallLossTolMeas = tol(1.1f + static_cast<float>(wl - 1310) * 0.001f + (end2 ? 0.1f : 0.0f),
                                   ScaledInt::hundredths, 0.05f, 0.05f);
        p.overallOrlTolMeas = tol(end2 ? 41.0f : 42.5f, ScaledInt::hundredths, 0.5f, 0.5f);
        p.limitResults.results.push_back(checkResult(FiberLimitValueType::maxOverallLoss, 3.0f, 1.9f, Status::pass));
        per.push_back(p);
    }
    o.setPerWls(per);
    return o;
}

namespace {
FiberOtdrTest baseTest(CableEnd end, uint32_t samples) {
    const bool two = end == CableEnd::end2;
    FiberOtdrTest t(two ? FiberTestType::otdrEnd2 : FiberTestType::otdrEnd1);
    t.summary.status = Status::pass;
    t.summary.timestamp = two ? 1764954000 : 1764950400;
    t.summary.cableEnd = end;
    t.summary.operatorName = two ? "R. Osei" : "M. Lindqvist";
    t.summary.end1Name = "PP-A 01";
    t.summary.end2Name = "PP-B 01";
    t.summary.comment = two ? "from the far closet" : "";
    t.equipmentInfo = otdrUnit();
    t.fiber = singlemodeFiber();
    t.limit = otdrLimit();
    t.settings = otdrSettings();
    t.overallResults = otdrOverallResults(two);
    for (uint16_t wl : otdrWavelengths()) t.plots.plots.push_back(otdrPlot(wl, samples));
    t.rawData.bytes.resize(64);
    for (size_t i = 0; i < t.rawData.bytes.size(); ++i)
        t.rawData.bytes[i] = static_cast<uint8_t>(i * 7 + (two ? 3 : 0));
    return t;
}
}  // namespace

FiberOtdrTest otdrTest(CableEnd end, uint32_t samples) {
    FiberOtdrTest t = baseTest(end, samples);
    t.eventTable = otdrEventTable(end == CableEnd::end2 ? end2Rows() : end1Rows(), otdrWavelengths());
    return t;
}

FiberOtdrEventTable hostileEventTable(const std::vector<EventType>& types, bool oneLocation, size_t rows,
                                      size_t events) {
    FiberOtdrEventTable t;
    t.rows.resize(rows);
    for (size_t i = 0; i < rows; ++i) {
        FiberOtdrEventTableRow& row = t.rows[i];
        row.lengthTolMeas = tol(oneLocation ? 500.0f : static_cast<float>(i), ScaledInt::ones, 0.5f, 0.5f);
        row.eventType = types.empty() ? EventType::splice : types[i % types.size()];
        row.hiddenGroupMarker = i % 7 == 3   ? HiddenGroupMarker::begin
                                : i % 7 == 5 ? HiddenGroupMarker::end
                                             : HiddenGroupMarker::notSet;
    }
    const size_t named = std::min<size_t>(rows, 256);
    t.events.resize(named == 0 ? 0 : events);
    for (size_t k = 0; k < t.events.size(); ++k) {
        FiberOtdrEvent& e = t.events[k];
        e.rowIndex = static_cast<uint32_t>(k % named);
        e.wavelength = (k / named) % 2 == 0 ? 1310 : 1550;
        e.anEventTypeFlags = A::splice | 4u | (t.rows[e.rowIndex].eventType == EventType::end ? A::end : 0u);
        e.lossTolMeas = tol(0.05f, ScaledInt::hundredths, 0.01f, 0.01f);
    }
    return t;
}

FiberOtdrEventTable shuffledEventTable(uint32_t seed) {
    const EventType types[] = {EventType::splice, EventType::echo,      EventType::weakSignal, EventType::outOfRange,
                               EventType::end,    EventType::hiddenEnd, EventType::noSignal,   EventType::connector};
    const HiddenGroupMarker markers[] = {HiddenGroupMarker::notSet, HiddenGroupMarker::notSet, HiddenGroupMarker::begin,
                                         HiddenGroupMarker::end};
    uint32_t x = seed * 2654435761u + 1;
    auto next = [&](uint32_t n) {
        x = x * 1664525u + 1013904223u;
        return (x >> 8) % n;
    };
    FiberOtdrEventTable t;
    const size_t rows = 1 + next(14);
    for (size_t i = 0; i < rows; ++i) {
        FiberOtdrEventTableRow row;
        row.lengthTolMeas = ToleranceMeas(ScaledInt::raw(static_cast<int32_t>(100 * (i / 2)), ScaledInt::ones),
                                          DisplayType::normal, 1.0f, 1.0f);
        row.eventType = types[next(8)];
        row.hiddenGroupMarker = markers[next(4)];
        t.rows.push_back(row);
        for (uint32_t k = next(4); k > 0; --k) {
            FiberOtdrEvent e;
            e.rowIndex = static_cast<uint32_t>(i);
            e.wavelength = next(2) ? 1310 : 1550;
            e.anEventTypeFlags = (row.eventType == EventType::end ? A::end : A::splice) | (next(2) ? 4u : 2u);
            e.lossTolMeas = ToleranceMeas(ScaledInt::raw(static_cast<int32_t>(next(50)), ScaledInt::hundredths),
                                          DisplayType::normal, 0.01f, 0.01f);
            t.events.push_back(e);
        }
    }
    return t;
}

FiberOtdrTest otdrTestWithRows(CableEnd end, size_t rows, uint32_t samples) {
    FiberOtdrTest t = baseTest(end, samples);
    t.eventTable = otdrEventTable(longRows(rows, 20300.0, end == CableEnd::end2), otdrWavelengths());
    return t;
}

FiberResult otdrResult(uint32_t samples) {
    FiberResult r;
    r.summary = fiberSummary("OTDR-PP-A01");
    r.summary.status = Status::pass;
    r.summary.testFlags = 0x3;
    r.summary.numPassTests = 2;
    r.summary.numFailTests = 0;
    r.addTest(std::make_unique<FiberOtdrTest>(otdrTest(CableEnd::end1, samples)));
    r.addTest(std::make_unique<FiberOtdrTest>(otdrTest(CableEnd::end2, samples)));
    return r;
}

std::vector<uint8_t> otdrResultFile(uint32_t samples) {
    std::vector<uint8_t> bytes;
    if (FiberResultWriter::writeResult(otdrResult(samples), bytes) != ResultWriterStatus::success) bytes.clear();
    return bytes;
}

FiberImage fiberImage(uint32_t bytes) {
    FiberImage img;
    img.imageBytes.resize(bytes);
    static const uint8_t pngMagic[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (uint32_t i = 0; i < bytes; ++i) img.imageBytes[i] = i < 8 ? pngMagic[i] : static_cast<uint8_t>(i * 31);
    img.heightPixels = 480;
    img.widthPixels = 640;
    img.imageFormat = FiberImage::Format::png;
    img.pixelPerUm = 1.2345f;
    return img;
}

FiberImageTest imageTest(FiberTestType type) {
    FiberImageTest t(type);
    t.summary.status = Status::fail;
    t.summary.timestamp = 1764950400;
    t.summary.cableEnd = type == FiberTestType::imageEnd2 ? CableEnd::end2 : CableEnd::end1;
    t.summary.operatorName = "M. Lindqvist";
    t.summary.end1Name = "PP-A 01";
    t.summary.end2Name = "PP-B 01";
    t.equipmentInfo = otdrUnit();
    t.image = fiberImage();
    t.limit = imageLimit();
    t.centerPositionX = 321;
    t.centerPositionY = 238;
    t.nmPerPx = 250;
    t.flags = FiberImageTest::kFlagDirty;
    const auto feature = [](FiberImageFeatureType kind, int32_t distance, int32_t x, int32_t y, int32_t width,
                            Status status) {
        FiberImageFeatureObject f;
        f.type = kind;
        f.distanceFromCenter = distance;
        f.centroidX = x;
        f.centroidY = y;
        f.width = width;
        f.status = status;
        return f;
    };
    t.featureObjects = {feature(FiberImageFeatureType::glob, 1234, 300, 250, 12, Status::fail),
                        feature(FiberImageFeatureType::scratch, 400, 330, 230, 2, Status::pass)};
    t.featureObjects[1].scratchSegments = {{10, 20}, {30, 40}, {55, 61}};
    return t;
}

}  // namespace kx::test
