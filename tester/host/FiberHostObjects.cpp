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
    j["Location"] = jsonNumber(Location);
    j["LocPosTolerance"] = jsonNumber(LocPosTolerance);
    j["LocNegTolerance"] = jsonNumber(LocNegTolerance);
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
    j["Location"] = jsonNumber(Location);
    j["LocPosTolerance"] = jsonNumber(LocPosTolerance);
    j["LocNegTolerance"] = jsonNumber(LocNegTolerance);
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
    Json::Value groups(Json::arrayValue);
    for (const auto& [first, last] : HiddenGroups) {
        Json::Value g(Json::arrayValue);
        g.append(first);
        g.append(last);
        groups.append(g);
    }
    j["HiddenGroups"] = groups;
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
    Json::Value ratios(Json::arrayValue);
    for (int r : SplitterRatioList) ratios.append(r);
    j["SplitterRatioList"] = ratios;
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
    Json::Value x(Json::arrayValue);
    for (double v : X) x.append(jsonNumber(v));
    Json::Value y(Json::arrayValue);
    for (double v : Y) y.append(jsonNumber(v));
    j["X"] = x;
    j["Y"] = y;
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
        Json::Value pts(Json::arrayValue);
        for (const auto& [x, y] : d.Points) {
            Json::Value p(Json::arrayValue);
            p.append(x);
            p.append(y);
            pts.append(p);
        }
        e["Points"] = pts;
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
