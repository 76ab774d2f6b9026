#pragma once
// The host's fiber result carriers a record fills: loss/length and power tests, OTDR tests with their
// events, settings, warnings and plots, event and fault maps, the SR-4731 series, the span and end-face
// image tests. Their JSON forms are keyed by the field names; NaN is null.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

#include "tester/host/HostRecord.h"
#include "tester/host/HostServices.h"
#include "tester/host/Measurement.h"

namespace Kestrix::Tester {

class TarvelFiberLimit;

// Parameter kinds of fiber measurements beyond the shared ones.
inline constexpr MeasKind kKindPower = static_cast<MeasKind>(13);
inline constexpr MeasKind kKindMinPower = static_cast<MeasKind>(15);
inline constexpr MeasKind kKindMaxPower = static_cast<MeasKind>(16);
inline constexpr MeasKind kKindRefPower = static_cast<MeasKind>(17);
inline constexpr MeasKind kKindLoss = static_cast<MeasKind>(18);
inline constexpr MeasKind kKindMinLoss = static_cast<MeasKind>(19);
inline constexpr MeasKind kKindMaxLoss = static_cast<MeasKind>(20);

// Qualifiers of values that are not numbers.
inline constexpr int kQualifierNaN = 8;
inline constexpr int kQualifierPosInf = 9;
inline constexpr int kQualifierNegInf = 10;

// A measurement of a fiber test: the shared measurement plus what kind of value it is and at which
// wavelength it was taken.
struct FiberMeasurement : SingleMeasurement {
    FiberMeasurement() = default;
    FiberMeasurement(int testId, int measurementType) : SingleMeasurement(testId), MeasurementType(measurementType) {}

    int MeasurementType = 0;  // 1 loss, 2 length, 3 delay or ORL, 5 event loss, 6 reflectance, 7 attenuation
    boost::optional<int> Wavelength;
    boost::optional<int> LightSource;
    boost::optional<HostDate> LossReferenceDate;

    // SingleMeasurement's keys plus "MeasurementType", "Wavelength", "LightSource", "LossReferenceDate".
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct LossLengthBasedLimitDetail {
    int Wavelength = 0;
    int Splices = 0;
    int Connectors = 0;
    double LengthKm = 0.0;
    MeasParam LossPerConnector;
    MeasParam LossPerSplice;
    MeasParam LossPerKm;
    MeasParam AttenLoss;
    MeasParam ConnectorLoss;
    MeasParam SpliceLoss;
    MeasParam TotalLoss;
    boost::optional<MeasParam> TestConnectorLoss;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct LossTest {
    explicit LossTest(int id = 0) : Id(id) {}

    int Id = 0;  // 20 end 1, 21 end 2
    int Status = kHostStatusUnknown;
    int TestConfig = 0;
    int TestMethod = 0;
    std::string ConnectorType;
    std::vector<MeasParam> JumperLength;
    boost::optional<FiberMeasurement> LengthMeasurement;
    boost::optional<FiberMeasurement> PropDelay;
    std::vector<FiberMeasurement> Measurements;  // one loss measurement per wavelength
    bool IsVendorSystem = false;
    int NumStScConnectors = 0;
    int NumLcConnectors = 0;
    int NumLcLowLossConnectors = 0;
    int NumLcUltraLowLossConnectors = 0;
    int NumMpoConnectors = 0;
    int NumMpoLowLossConnectors = 0;
    int NumMpoUltraLowLossConnectors = 0;
    std::vector<LossLengthBasedLimitDetail> LengthBasedLimitDetails;
    bool LengthOnly = false;
    int Brief = 0;

    void SetLengthOnly() { LengthOnly = true; }
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct PowerTest {
    explicit PowerTest(int id = 0) : Id(id) {}

    int Id = 0;                                  // 22 end 1, 23 end 2
    std::vector<FiberMeasurement> Measurements;  // per wavelength: dBm, then watts
    int Brief = 0;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

// One event at one wavelength.
struct OtdrEvent {
    int Wavelength = 0;
    double Location = 0.0;
    double LocPosTolerance = 0.0;
    double LocNegTolerance = 0.0;
    int Type = 0;
    bool IsHidden = false;
    boost::optional<int> SplitterRatio;
    int Status = kHostStatusUnknown;
    FiberMeasurement Loss;
    FiberMeasurement Reflectance;
    FiberMeasurement AttenCoeff;
    MeasParam Backscatter;
    bool BackscatterIsQuestionable = false;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

// Host OTDR event types that mark the link's ends (the others only name an event).
inline constexpr int kOtdrEventLaunch = 2;  // the end of the launch cord
inline constexpr int kOtdrEventTail = 3;    // the start of the tail cord
inline constexpr int kOtdrEventEnd = 10;    // the end of the fiber

// One event location over every wavelength.
struct MergedEvent {
    double Location = 0.0;
    double LocPosTolerance = 0.0;
    double LocNegTolerance = 0.0;
    int Status = kHostStatusUnknown;
    int Type = 0;
    boost::optional<int> SplitterRatio;
    std::vector<OtdrEvent> Events;  // one per wavelength that has an event here

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct EventMapTable {
    boost::optional<int> PortEnd;
    bool IsFaultMap = false;
    MeasParam FiberLength;
    boost::optional<MeasParam> OverallLoss;
    std::vector<MergedEvent> Events;
    std::vector<std::pair<int, int>> HiddenGroups;  // first and last row index
    std::string End1Name;
    std::string End2Name;

    void AddHiddenGroup(int first, int last) { HiddenGroups.emplace_back(first, last); }
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct FaultMapTest {
    explicit FaultMapTest(EventMapTable table = {}) : Table(std::move(table)) {}

    EventMapTable Table;
    int Brief = 32;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct MacrobendThreshold {
    int BendWavelength = 0;  // the wavelength pair's native code
    double Threshold = 0.0;  // dB
};

// Modes: 1 automatic, 2 manual.
struct OtdrSettings {
    int TestType = 0;
    boost::optional<int> RangeMode;
    boost::optional<MeasParam> Range;
    boost::optional<int> ResolutionMode;
    boost::optional<MeasParam> Resolution;
    boost::optional<int> PulseWidthMode;
    boost::optional<MeasParam> PulseWidth;
    boost::optional<int> AveragingTimeMode;
    boost::optional<MeasParam> AveragingTime;
    int LossThresholdMode = 1;
    MeasParam LossThreshold;
    int EndThresholdMode = 1;
    MeasParam EndThreshold;
    std::vector<int> SplitterRatioList;
    bool MacrobendDetectionEnabled = false;
    std::vector<MacrobendThreshold> MacrobendThresholds;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct OtdrWavelengthData {
    explicit OtdrWavelengthData(int wavelength = 0) : Wavelength(wavelength) {}

    int Wavelength = 0;
    std::vector<FiberMeasurement> Measurements;  // overall length, loss and ORL
    std::vector<OtdrEvent> Events;
    boost::optional<OtdrSettings> Settings;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct OtdrBulkheadQuality {
    OtdrBulkheadQuality() = default;
    OtdrBulkheadQuality(int min, int max, int fair, int good, int quality)
        : Min(min), Max(max), Fair(fair), Good(good), Quality(quality) {}

    int Min = 0;
    int Max = 0;
    int Fair = 0;
    int Good = 0;
    int Quality = 0;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct OtdrTestWarning {
    int Code = 0;
    bool Value = false;
};

struct OtdrTest {
    explicit OtdrTest(int id = 0) : Id(id) {}

    int Id = 0;
    int Status = kHostStatusUnknown;
    boost::optional<FiberMeasurement> OverallLength;
    std::vector<OtdrWavelengthData> Wavelengths;
    HostDate CompensationDate = HxDataDate::Default1970();
    bool LaunchLengthManuallyEntered = false;
    std::vector<MergedEvent> MergedEvents;
    boost::optional<double> LaunchLength;
    boost::optional<double> TailLength;
    boost::optional<EventMapTable> EventMapTbl;
    boost::optional<OtdrBulkheadQuality> BulkheadQuality;
    std::vector<OtdrTestWarning> Warnings;
    boost::optional<OtdrSpanLocation> SegmentLocSetByTester;
    std::shared_ptr<const TarvelFiberLimit> Limit;
    bool UserEditsApplied = false;
    int Brief = 0;

    void AddWarning(int code, bool value) { Warnings.push_back(OtdrTestWarning{code, value}); }
    OtdrWavelengthData* FindWavelength(int wavelength);
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

// One trace (or one SR-4731 series) of a plot.
struct SeriesMeasurement {
    explicit SeriesMeasurement(int id = 0) : Id(id) {}

    int Id = 0;
    int Wavelength = 0;
    std::vector<double> X;  // metres; empty for an SR-4731 series
    std::vector<double> Y;  // dB (SR-4731: thousandths of a dB below the upper bound)
    int XAxisUnit = 4;
    bool HasLaunchFiber = false;
    double ReceiveFiberMeters = 0.0;
    double NoiseFloorDb = 0.0;
    std::map<int, int32_t> Parameters;  // SR-4731 parameters 8 to 19
    int Count = 0;

    Json::Value toJson() const;
};

struct OtdrPlotData {
    explicit OtdrPlotData(int id = 0) : Id(id) {}

    int Id = 0;
    std::vector<SeriesMeasurement> Series;
    std::vector<SeriesMeasurement> BellcoreSeries;

    // The series of that wavelength, or null.
    SeriesMeasurement* FindSeries(int wavelength);
    void AddSeriesBellcore(SeriesMeasurement s) { BellcoreSeries.push_back(std::move(s)); }
    Json::Value toJson() const;
};

struct OtdrSegment {
    double Start = 0.0;
    double Stop = 0.0;
    int End = 0;
    std::vector<OtdrWavelengthData> Wavelengths;  // copies of the overall results

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct FiberImageDefect {
    int Type = 0;       // 1 glob, 2 scratch
    int PassState = 0;  // 0 pass, 1 fail
    int Size = 0;
    std::vector<std::pair<int32_t, int32_t>> Points;
};

struct FiberImageTest {
    explicit FiberImageTest(int end = 0) : End(end) {}

    int End = 0;
    int Status = kHostStatusUnknown;
    std::vector<uint8_t> ImageData;
    int X = 0;
    int Y = 0;
    std::string LimitName;
    int Type = 0;
    bool Show400Scale = false;
    int Warning = 0;
    int CenterX = 0;
    int CenterY = 0;
    boost::optional<int> Core;
    boost::optional<int> Cladding;
    boost::optional<int> Adhesive;
    boost::optional<int> Contact;
    double PixelsPerMicron = 0.0;
    std::vector<FiberImageDefect> Defects;
    int Brief = 0;

    // The picture's bytes are given by their count ("ImageSize"), not inline.
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

// Carriers of tests this tester family never makes (multi-fiber tests, channel maps, the bidirectional average
// table): a record only ever answers none for them, so they hold nothing.
struct MultiTest {};
struct ChannelMapTest {};
struct OtdrBidirAvgTable {};

// Edits the host's user made to OTDR tests (re-typed events, moved markers). An embedding application
// installs its own; the default applies none.
class IOtdrModifications {
public:
    virtual ~IOtdrModifications() = default;
    virtual void ApplyOtdrModificationsToTest(OtdrTest& /*test*/) {}
    virtual void ApplyOtdrModificationsToPlotData(OtdrPlotData& /*plots*/) {}
};

// Checks a span against the traces it is to cover.
class OtdrSpanValidator {
public:
    // `traceLengths` are the lengths in metres covered by each trace.
    explicit OtdrSpanValidator(std::vector<double> traceLengths) : _traceLengths(std::move(traceLengths)) {}

    // Brings start and stop into [0, shortest trace]; a reversed pair is swapped. False (nothing changed)
    // without traces or with a start or stop that is not a number.
    bool AutoCorrect(double& start, double& stop) const;
    // Accepted when there are traces, both ends are numbers inside [0, shortest trace] and stop > start.
    bool Evaluate(double start, double stop) const;

private:
    std::vector<double> _traceLengths;
};

}  // namespace Kestrix::Tester
