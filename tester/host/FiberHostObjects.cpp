#include "tester/host/FiberHostObjects.h"

#include <algorithm>
#include <cmath>

#include "tester/setups/TarvelFiberLimit.h"

namespace Kestrix::Tester {

namespace {

template <typename T>
Json::Value optionalJson(const boost::optional<T>& v) {
    if (!v) return Json::Value();
    if constexpr (std::is_same_v<T, int>) {
        return Json::Value(*v);
    } else if constexpr (std::is_same_v<T, double>) {
        return jsonNumber(*v);
    } else if constexpr (std::is_same_v<T, HostDate>) {
        return Json::Value(HxDataDate::ToIso8601(*v));
    } else {
        return v->toJson();
    }
}

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

Json::Value intsJson(const std::vector<int>& values) {
    Json::Value a(Json::arrayValue);
    for (int v : values) a.append(v);
    return a;
}

// Each pair as a two-element array.
Json::Value pairsJson(const std::vector<std::pair<int, int>>& pairs) {
    Json::Value a(Json::arrayValue);
    for (const auto& [first, second] : pairs) {
        Json::Value p(Json::arrayValue);
        p.append(first);
        p.append(second);
        a.append(p);
    }
    return a;
}

// Where an event lies, with its tolerances, as both event kinds write it.
void placeJson(Json::Value& j, double location, double posTolerance, double negTolerance) {
    j["Location"] = jsonNumber(location);
    j["LocPosTolerance"] = jsonNumber(posTolerance);
    j["LocNegTolerance"] = jsonNumber(negTolerance);
}

}  // namespace

Json::Value FiberMeasurement::toJson() const {
    Json::Value j = SingleMeasurement::toJson();
    j["MeasurementType"] = MeasurementType;
    j["Wavelength"] = optionalJson(Wavelength);
    j["LightSource"] = optionalJson(LightSource);
    j["LossReferenceDate"] = optionalJson(LossReferenceDate);
    return j;
}

Json::Value LossLengthBasedLimitDetail::toJson() const {
    Json::Value j(Json::objectValue);
    j["Wavelength"] = Wavelength;
    j["Splices"] = Splices;
    j["Connectors"] = Connectors;
    j["LengthKm"] = jsonNumber(LengthKm);
    j["LossPerConnector"] = LossPerConnector.toJson();
    j["LossPerSplice"] = LossPerSplice.toJson();
    j["LossPerKm"] = LossPerKm.toJson();
    j["AttenLoss"] = AttenLoss.toJson();
    j["ConnectorLoss"] = ConnectorLoss.toJson();
    j["SpliceLoss"] = SpliceLoss.toJson();
    j["TotalLoss"] = TotalLoss.toJson();
    j["TestConnectorLoss"] = optionalJson(TestConnectorLoss);
    return j;
}

Json::Value LossTest::toJson() const {
    Json::Value j(Json::objectValue);
    j["Id"] = Id;
    j["Status"] = Status;
    j["TestConfig"] = TestConfig;
    j["TestMethod"] = TestMethod;
    j["ConnectorType"] = ConnectorType;
    j["JumperLength"] = arrayJson(JumperLength);
    j["LengthMeasurement"] = optionalJson(LengthMeasurement);
    j["PropDelay"] = optionalJson(PropDelay);
    j["Measurements"] = arrayJson(Measurements);
    j["IsVendorSystem"] = IsVendorSystem;
    j["NumStScConnectors"] = NumStScConnectors;
    j["NumLcConnectors"] = NumLcConnectors;
    j["NumLcLowLossConnectors"] = NumLcLowLossConnectors;
    j["NumLcUltraLowLossConnectors"] = NumLcUltraLowLossConnectors;
    j["NumMpoConnectors"] = NumMpoConnectors;
    j["NumMpoLowLossConnectors"] = NumMpoLowLossConnectors;
    j["NumMpoUltraLowLossConnectors"] = NumMpoUltraLowLossConnectors;
    j["LengthBasedLimitDetails"] = arrayJson(LengthBasedLimitDetails);
    j["LengthOnly"] = LengthOnly;
    j["Brief"] = Brief;
    return j;
}

Json::Value PowerTest::toJson() const {
    Json::Value j(Json::objectValue);
    j["Id"] = Id;
    j["Measurements"] = arrayJson(Measurements);
    j["Brief"] = Brief;
    return j;
}

Json::Value OtdrEvent::toJson() const {
    Json::Value j(Json::objectValue);
    j["Wavelength"] = Wavelength;
    placeJson(j, Location, LocPosTolerance, LocNegTolerance);
    j["Type"] = Type;
    j["IsHidden"] = IsHidden;
    j["SplitterRatio"] = optionalJson(SplitterRatio);
    j["Status"] = Status;
    j["Loss"] = Loss.toJson();
    j["Reflectance"] = Reflectance.toJson();
    j["AttenCoeff"] = AttenCoeff.toJson();
    j["Backscatter"] = Backscatter.toJson();
    j["BackscatterIsQuestionable"] = BackscatterIsQuestionable;
    return j;
}

Json::Value MergedEvent::toJson() const {
    Json::Value j(Json::objectValue);
    placeJson(j, Location, LocPosTolerance, LocNegTolerance);
    j["Status"] = Status;
    j["Type"] = Type;
    j["SplitterRatio"] = optionalJson(SplitterRatio);
    j["Events"] = arrayJson(Events);
    return j;
}

Json::Value EventMapTable::toJson() const {
    Json::Value j(Json::objectValue);
    j["PortEnd"] = optionalJson(PortEnd);
    j["IsFaultMap"] = IsFaultMap;
    j["FiberLength"] = FiberLength.toJson();
    j["OverallLoss"] = optionalJson(OverallLoss);
    j["Events"] = arrayJson(Events);
    j["HiddenGroups"] = pairsJson(HiddenGroups);
    j["End1Name"] = End1Name;
    j["End2Name"] = End2Name;
    return j;
}

Json::Value FaultMapTest::toJson() const {
    Json::Value j(Json::objectValue);
    j["EventMapTable"] = Table.toJson();
    j["Brief"] = Brief;
    return j;
}

Json::Value OtdrSettings::toJson() const {
    Json::Value j(Json::objectValue);
    j["TestType"] = TestType;
    j["RangeMode"] = optionalJson(RangeMode);
    j["Range"] = optionalJson(Range);
    j["ResolutionMode"] = optionalJson(ResolutionMode);
    j["Resolution"] = optionalJson(Resolution);
    j["PulseWidthMode"] = optionalJson(PulseWidthMode);
    j["PulseWidth"] = optionalJson(PulseWidth);
    j["AveragingTimeMode"] = optionalJson(AveragingTimeMode);
    j["AveragingTime"] = optionalJson(AveragingTime);
    j["LossThresholdMode"] = LossThresholdMode;
    j["LossThreshold"] = LossThreshold.toJson();
    j["EndThresholdMode"] = EndThresholdMode;
    j["EndThreshold"] = EndThreshold.toJson();
    j["SplitterRatioList"] = intsJson(SplitterRatioList);
    j["MacrobendDetectionEnabled"] = MacrobendDetectionEnabled;
    Json::Value bends(Json::arrayValue);
    for (const MacrobendThreshold& b : MacrobendThresholds) {
        Json::Value e(Json::objectValue);
        e["BendWavelength"] = b.BendWavelength;
        e["Threshold"] = jsonNumber(b.Threshold);
        bends.append(e);
    }
    j["MacrobendThreshold"] = bends;
    return j;
}

Json::Value OtdrWavelengthData::toJson() const {
    Json::Value j(Json::objectValue);
    j["Wavelength"] = Wavelength;
    j["Measurements"] = arrayJson(Measurements);
    j["Events"] = arrayJson(Events);
    j["Settings"] = optionalJson(Settings);
    return j;
}

Json::Value OtdrBulkheadQuality::toJson() const {
    Json::Value j(Json::objectValue);
    j["Min"] = Min;
    j["Max"] = Max;
    j["Fair"] = Fair;
    j["Good"] = Good;
    j["Quality"] = Quality;
    return j;
}

OtdrWavelengthData* OtdrTest::FindWavelength(int wavelength) {
    for (OtdrWavelengthData& w : Wavelengths)
        if (w.Wavelength == wavelength) return &w;
    return nullptr;
}

Json::Value OtdrTest::toJson() const {
    Json::Value j(Json::objectValue);
    j["Id"] = Id;
    j["Status"] = Status;
    j["OverallLength"] = optionalJson(OverallLength);
    j["Wavelengths"] = arrayJson(Wavelengths);
    j["CompensationDate"] = HxDataDate::ToIso8601(CompensationDate);
    j["LaunchLengthManuallyEntered"] = LaunchLengthManuallyEntered;
    j["MergedEvents"] = arrayJson(MergedEvents);
    j["LaunchLength"] = optionalJson(LaunchLength);
    j["TailLength"] = optionalJson(TailLength);
    j["EventMapTbl"] = optionalJson(EventMapTbl);
    j["BulkheadQuality"] = optionalJson(BulkheadQuality);
    Json::Value warnings(Json::arrayValue);
    for (const OtdrTestWarning& w : Warnings) {
        Json::Value e(Json::objectValue);
        e["Code"] = w.Code;
        e["Value"] = w.Value;
        warnings.append(e);
    }
    j["Warnings"] = warnings;
    j["SegmentLocSetByTester"] = optionalJson(SegmentLocSetByTester);
    j["Limit"] = Limit ? Limit->toJson() : Json::Value();
    j["UserEditsApplied"] = UserEditsApplied;
    j["Brief"] = Brief;
    return j;
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
    j["Parameters"] = params;
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

Json::Value OtdrSegment::toJson() const {
    Json::Value j(Json::objectValue);
    j["Start"] = jsonNumber(Start);
    j["Stop"] = jsonNumber(Stop);
    j["End"] = End;
    j["Wavelengths"] = arrayJson(Wavelengths);
    return j;
}

Json::Value FiberImageTest::toJson() const {
    Json::Value j(Json::objectValue);
    j["End"] = End;
    j["Status"] = Status;
    j["ImageSize"] = static_cast<Json::UInt64>(ImageData.size());
    j["X"] = X;
    j["Y"] = Y;
    j["LimitName"] = LimitName;
    j["Type"] = Type;
    j["Show400Scale"] = Show400Scale;
    j["Warning"] = Warning;
    j["CenterX"] = CenterX;
    j["CenterY"] = CenterY;
    j["Core"] = optionalJson(Core);
    j["Cladding"] = optionalJson(Cladding);
    j["Adhesive"] = optionalJson(Adhesive);
    j["Contact"] = optionalJson(Contact);
    j["PixelsPerMicron"] = jsonNumber(PixelsPerMicron);
    Json::Value defects(Json::arrayValue);
    for (const FiberImageDefect& d : Defects) {
        Json::Value e(Json::objectValue);
        e["Type"] = d.Type;
        e["PassState"] = d.PassState;
        e["Size"] = d.Size;
        e["Points"] = pairsJson(d.Points);
        defects.append(e);
    }
    j["Defects"] = defects;
    j["Brief"] = Brief;
    return j;
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
