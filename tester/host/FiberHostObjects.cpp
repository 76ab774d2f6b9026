#include "tester/host/FiberHostObjects.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tester/host/TarvelFiberLimit.h"

namespace Kestrix::Tester {

namespace {

template <typename T>
Json::Value arrayJson(const std::vector<T>& items) {
    Json::Value a(Json::arrayValue);
    for (const T& item : items) a.append(item.toJson());
    return a;
}

Json::Value numbersJson(const std::vector<double>& values) {
    Json::Value a(Json::arrayValue);
    for (double v : values) a.append(jsonNumber(v));
    return a;
}

void writeOptional(JsonSink& s, const boost::optional<int>& v) {
    if (v)
        s.integer(*v);
    else
        s.null();
}

void writeOptional(JsonSink& s, const boost::optional<double>& v) {
    if (v)
        s.number(*v);
    else
        s.null();
}

void writeOptional(JsonSink& s, const boost::optional<HostDate>& v) {
    if (v)
        s.string(HxDataDate::ToIso8601(*v));
    else
        s.null();
}

// An object that writes itself, or one that builds its tree.
template <typename T>
void writeObject(JsonSink& s, const T& v) {
    if constexpr (requires { v.writeJson(s); })
        v.writeJson(s);
    else
        s.value(v.toJson());
}

template <typename T>
void writeOptional(JsonSink& s, const boost::optional<T>& v) {
    if (v)
        writeObject(s, *v);
    else
        s.null();
}

template <typename T>
void writeMember(JsonSink& s, std::string_view name, const T& v) {
    s.key(name);
    writeObject(s, v);
}

void writeInts(JsonSink& s, const std::vector<int>& values) {
    s.beginArray();
    for (int v : values) s.integer(v);
    s.endArray();
}

// Each pair as a two-element array.
template <typename Int>
void writePairs(JsonSink& s, const std::vector<std::pair<Int, Int>>& pairs) {
    s.beginArray();
    for (const auto& [first, second] : pairs) {
        s.beginArray();
        s.integer(first);
        s.integer(second);
        s.endArray();
    }
    s.endArray();
}

// Where an event lies, with its tolerances, as both event kinds write it. Members here and in the objects an
// OTDR test is made of come in name order: the text sink then has nothing to sort.
void writePlace(JsonSink& s, double location, double posTolerance, double negTolerance) {
    s.memberNumber("LocNegTolerance", negTolerance);
    s.memberNumber("LocPosTolerance", posTolerance);
    s.memberNumber("Location", location);
}

}  // namespace

Json::Value FiberMeasurement::toJson() const { return treeOf(*this); }

void FiberMeasurement::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("CopperEnd", CopperEnd);
    s.member("IsWorstMarginSpecified", IsWorstMarginSpecified);
    s.key("LightSource");
    writeOptional(s, LightSource);
    s.key("LossReferenceDate");
    writeOptional(s, LossReferenceDate);
    s.member("MeasurementType", MeasurementType);
    s.member("Pair", Pair);
    s.key("Params");
    writeArray(s, Params);
    s.member("Status", Status);
    s.member("TestId", TestId);
    s.key("Wavelength");
    writeOptional(s, Wavelength);
    s.endObject();
}

Json::Value LossLengthBasedLimitDetail::toJson() const { return treeOf(*this); }

void LossLengthBasedLimitDetail::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Wavelength", Wavelength);
    s.member("Splices", Splices);
    s.member("Connectors", Connectors);
    s.memberNumber("LengthKm", LengthKm);
    writeMember(s, "LossPerConnector", LossPerConnector);
    writeMember(s, "LossPerSplice", LossPerSplice);
    writeMember(s, "LossPerKm", LossPerKm);
    writeMember(s, "AttenLoss", AttenLoss);
    writeMember(s, "ConnectorLoss", ConnectorLoss);
    writeMember(s, "SpliceLoss", SpliceLoss);
    writeMember(s, "TotalLoss", TotalLoss);
    s.key("TestConnectorLoss");
    writeOptional(s, TestConnectorLoss);
    s.endObject();
}

Json::Value LossTest::toJson() const { return treeOf(*this); }

void LossTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Id", Id);
    s.member("Status", Status);
    s.member("TestConfig", TestConfig);
    s.member("TestMethod", TestMethod);
    s.member("ConnectorType", ConnectorType);
    s.key("JumperLength");
    writeArray(s, JumperLength);
    s.key("LengthMeasurement");
    writeOptional(s, LengthMeasurement);
    s.key("PropDelay");
    writeOptional(s, PropDelay);
    s.key("Measurements");
    writeArray(s, Measurements);
    s.member("IsVendorSystem", IsVendorSystem);
    s.member("NumStScConnectors", NumStScConnectors);
    s.member("NumLcConnectors", NumLcConnectors);
    s.member("NumLcLowLossConnectors", NumLcLowLossConnectors);
    s.member("NumLcUltraLowLossConnectors", NumLcUltraLowLossConnectors);
    s.member("NumMpoConnectors", NumMpoConnectors);
    s.member("NumMpoLowLossConnectors", NumMpoLowLossConnectors);
    s.member("NumMpoUltraLowLossConnectors", NumMpoUltraLowLossConnectors);
    s.key("LengthBasedLimitDetails");
    writeArray(s, LengthBasedLimitDetails);
    s.member("LengthOnly", LengthOnly);
    s.member("Brief", Brief);
    s.endObject();
}

Json::Value PowerTest::toJson() const { return treeOf(*this); }

void PowerTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Id", Id);
    s.key("Measurements");
    writeArray(s, Measurements);
    s.member("Brief", Brief);
    s.endObject();
}

Json::Value OtdrEvent::toJson() const { return treeOf(*this); }

void OtdrEvent::writeJson(JsonSink& s) const {
    s.beginObject();
    writeMember(s, "AttenCoeff", AttenCoeff);
    writeMember(s, "Backscatter", Backscatter);
    s.member("BackscatterIsQuestionable", BackscatterIsQuestionable);
    s.member("IsHidden", IsHidden);
    writePlace(s, Location, LocPosTolerance, LocNegTolerance);
    writeMember(s, "Loss", Loss);
    writeMember(s, "Reflectance", Reflectance);
    s.key("SplitterRatio");
    writeOptional(s, SplitterRatio);
    s.member("Status", Status);
    s.member("Type", Type);
    s.member("Wavelength", Wavelength);
    s.endObject();
}

Json::Value MergedEvent::toJson() const { return treeOf(*this); }

void MergedEvent::writeJson(JsonSink& s) const {
    s.beginObject();
    s.key("Events");
    writeArray(s, Events);
    writePlace(s, Location, LocPosTolerance, LocNegTolerance);
    s.key("SplitterRatio");
    writeOptional(s, SplitterRatio);
    s.member("Status", Status);
    s.member("Type", Type);
    s.endObject();
}

Json::Value EventMapTable::toJson() const { return treeOf(*this); }

void EventMapTable::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("End1Name", End1Name);
    s.member("End2Name", End2Name);
    s.key("Events");
    writeArray(s, Events);
    writeMember(s, "FiberLength", FiberLength);
    s.key("HiddenGroups");
    writePairs(s, HiddenGroups);
    s.member("IsFaultMap", IsFaultMap);
    s.key("OverallLoss");
    writeOptional(s, OverallLoss);
    s.key("PortEnd");
    writeOptional(s, PortEnd);
    s.endObject();
}

Json::Value FaultMapTest::toJson() const { return treeOf(*this); }

void FaultMapTest::writeJson(JsonSink& s) const {
    s.beginObject();
    writeMember(s, "EventMapTable", Table);
    s.member("Brief", Brief);
    s.endObject();
}

Json::Value OtdrSettings::toJson() const { return treeOf(*this); }

void OtdrSettings::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("TestType", TestType);
    s.key("RangeMode");
    writeOptional(s, RangeMode);
    s.key("Range");
    writeOptional(s, Range);
    s.key("ResolutionMode");
    writeOptional(s, ResolutionMode);
    s.key("Resolution");
    writeOptional(s, Resolution);
    s.key("PulseWidthMode");
    writeOptional(s, PulseWidthMode);
    s.key("PulseWidth");
    writeOptional(s, PulseWidth);
    s.key("AveragingTimeMode");
    writeOptional(s, AveragingTimeMode);
    s.key("AveragingTime");
    writeOptional(s, AveragingTime);
    s.member("LossThresholdMode", LossThresholdMode);
    writeMember(s, "LossThreshold", LossThreshold);
    s.member("EndThresholdMode", EndThresholdMode);
    writeMember(s, "EndThreshold", EndThreshold);
    s.key("SplitterRatioList");
    writeInts(s, SplitterRatioList);
    s.member("MacrobendDetectionEnabled", MacrobendDetectionEnabled);
    s.key("MacrobendThreshold");
    s.beginArray();
    for (const MacrobendThreshold& b : MacrobendThresholds) {
        s.beginObject();
        s.member("BendWavelength", b.BendWavelength);
        s.memberNumber("Threshold", b.Threshold);
        s.endObject();
    }
    s.endArray();
    s.endObject();
}

Json::Value OtdrWavelengthData::toJson() const { return treeOf(*this); }

void OtdrWavelengthData::writeJson(JsonSink& s) const {
    s.beginObject();
    s.key("Events");
    writeArray(s, Events);
    s.key("Measurements");
    writeArray(s, Measurements);
    s.key("Settings");
    writeOptional(s, Settings);
    s.member("Wavelength", Wavelength);
    s.endObject();
}

Json::Value OtdrBulkheadQuality::toJson() const { return treeOf(*this); }

void OtdrBulkheadQuality::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Min", Min);
    s.member("Max", Max);
    s.member("Fair", Fair);
    s.member("Good", Good);
    s.member("Quality", Quality);
    s.endObject();
}

OtdrWavelengthData* OtdrTest::FindWavelength(int wavelength) {
    for (OtdrWavelengthData& w : Wavelengths)
        if (w.Wavelength == wavelength) return &w;
    return nullptr;
}

Json::Value OtdrTest::toJson() const { return treeOf(*this); }

void OtdrTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Brief", Brief);
    s.key("BulkheadQuality");
    writeOptional(s, BulkheadQuality);
    s.member("CompensationDate", HxDataDate::ToIso8601(CompensationDate));
    s.key("EventMapTbl");
    writeOptional(s, EventMapTbl);
    s.member("Id", Id);
    s.key("LaunchLength");
    writeOptional(s, LaunchLength);
    s.member("LaunchLengthManuallyEntered", LaunchLengthManuallyEntered);
    if (Limit)
        s.member("Limit", Limit->toJson());
    else
        s.memberNull("Limit");
    s.key("MergedEvents");
    writeArray(s, MergedEvents);
    s.key("OverallLength");
    writeOptional(s, OverallLength);
    s.key("SegmentLocSetByTester");
    writeOptional(s, SegmentLocSetByTester);
    s.member("Status", Status);
    s.key("TailLength");
    writeOptional(s, TailLength);
    s.member("UserEditsApplied", UserEditsApplied);
    s.key("Warnings");
    s.beginArray();
    for (const OtdrTestWarning& w : Warnings) {
        s.beginObject();
        s.member("Code", w.Code);
        s.member("Value", w.Value);
        s.endObject();
    }
    s.endArray();
    s.key("Wavelengths");
    writeArray(s, Wavelengths);
    s.endObject();
}

Json::Value SeriesMeasurement::toJson() const {
    Json::Value j(Json::objectValue);
    j["Id"] = Id;
    j["Wavelength"] = Wavelength;
    j["X"] = numbersJson(X);
    j["Y"] = numbersJson(Y);
    j["XAxisUnit"] = XAxisUnit;
    j["HasLaunchFiber"] = HasLaunchFiber;
    j["ReceiveFiberMeters"] = jsonNumber(ReceiveFiberMeters);
    j["NoiseFloorDb"] = jsonNumber(NoiseFloorDb);
    Json::Value params(Json::objectValue);
    for (const auto& [n, v] : Parameters) params[std::to_string(n)] = v;
    j["Parameters"] = std::move(params);
    j["Count"] = Count;
    return j;
}

SeriesMeasurement* OtdrPlotData::FindSeries(int wavelength) {
    for (SeriesMeasurement& s : Series)
        if (s.Wavelength == wavelength) return &s;
    return nullptr;
}

Json::Value OtdrPlotData::toJson() const {
    Json::Value j(Json::objectValue);
    j["Id"] = Id;
    j["Series"] = arrayJson(Series);
    j["BellcoreSeries"] = arrayJson(BellcoreSeries);
    return j;
}

Json::Value OtdrSegment::toJson() const { return treeOf(*this); }

void OtdrSegment::writeJson(JsonSink& s) const {
    s.beginObject();
    s.memberNumber("Start", Start);
    s.memberNumber("Stop", Stop);
    s.member("End", End);
    s.key("Wavelengths");
    writeArray(s, Wavelengths);
    s.endObject();
}

Json::Value FiberImageTest::toJson() const { return treeOf(*this); }

void FiberImageTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("End", End);
    s.member("Status", Status);
    s.member("ImageSize", static_cast<uint64_t>(ImageData.size()));
    s.member("X", X);
    s.member("Y", Y);
    s.member("LimitName", LimitName);
    s.member("Type", Type);
    s.member("Show400Scale", Show400Scale);
    s.member("Warning", Warning);
    s.member("CenterX", CenterX);
    s.member("CenterY", CenterY);
    s.key("Core");
    writeOptional(s, Core);
    s.key("Cladding");
    writeOptional(s, Cladding);
    s.key("Adhesive");
    writeOptional(s, Adhesive);
    s.key("Contact");
    writeOptional(s, Contact);
    s.memberNumber("PixelsPerMicron", PixelsPerMicron);
    s.key("Defects");
    s.beginArray();
    for (const FiberImageDefect& d : Defects) {
        s.beginObject();
        s.member("Type", d.Type);
        s.member("PassState", d.PassState);
        s.member("Size", d.Size);
        s.key("Points");
        writePairs(s, d.Points);
        s.endObject();
    }
    s.endArray();
    s.member("Brief", Brief);
    s.endObject();
}

bool OtdrSpanValidator::AutoCorrect(double& start, double& stop) const {
    if (_traceLengths.empty() || !std::isfinite(start) || !std::isfinite(stop)) return false;
    const double end = *std::min_element(_traceLengths.begin(), _traceLengths.end());
    if (!std::isfinite(end) || end <= 0.0) return false;
    if (start > stop) std::swap(start, stop);
    start = std::clamp(start, 0.0, end);
    stop = std::clamp(stop, 0.0, end);
    return true;
}

bool OtdrSpanValidator::Evaluate(double start, double stop) const {
    if (_traceLengths.empty() || !std::isfinite(start) || !std::isfinite(stop)) return false;
    const double end = *std::min_element(_traceLengths.begin(), _traceLengths.end());
    return start >= 0.0 && stop <= end && stop > start;
}

}  // namespace Kestrix::Tester
