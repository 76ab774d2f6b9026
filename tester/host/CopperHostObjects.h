#pragma once
// The host's copper result carriers a record fills: scalar and frequency tests, plot data with limit
// curves, the coax TDR test, the wiremap test and pair labels. Their JSON forms are keyed by the field names.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

#include "tester/host/Measurement.h"

namespace Kestrix::Tester {

// Host pair ids with their display labels ("1,2", "3,6-4,5"), in the order of the test's pair list.
struct TwistedPairLabels {
    std::vector<std::pair<int, std::string>> Labels;

    // The label of a host pair id, or "".
    std::string LabelOf(int pair) const;
    // [{"Pair", "Label"}, ...]
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

// A test made of measurements: scalar tests (resistance, length, ...) and frequency tests (worst margin and
// worst value per pair and end).
struct MeasuredTest {
    MeasuredTest(int testId, bool isCoax) : TestId(testId), IsCoax(isCoax) {}

    int TestId = 0;
    bool IsCoax = false;
    int Status = 6;
    std::vector<SingleMeasurement> Measurements;
    TwistedPairLabels PairText;
    int Brief = 0;  // the record's brief entry for the test id

    // {"TestId", "IsCoax", "Status", "Measurements": [...], "PairText": [...], "Brief"}
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct ScalarTest : MeasuredTest {
    using MeasuredTest::MeasuredTest;
};

struct FrequencyTest : MeasuredTest {
    using MeasuredTest::MeasuredTest;
};

// Frequencies at which a pair's limit was not enforced (one flag per x value of the plot).
struct FreqLimitInvalid {
    FreqLimitInvalid() = default;
    FreqLimitInvalid(int pair, std::vector<bool> flags) : Pair(pair), Flags(std::move(flags)) {}

    int Pair = 0;
    std::vector<bool> Flags;

    // {"Pair", "Flags": [...]}
    Json::Value toJson() const;
};

// A limit curve over the plot's x axis: pair 0 is the general curve, others a pair combination's own.
struct PlotLimitCurve {
    int Pair = 0;
    std::vector<double> Y;  // NaN where the limit leaves a gap
    std::vector<FreqLimitInvalid> Invalid;

    Json::Value toJson() const;
};

// One measured curve; a time-domain curve has its own x values (metres).
struct PlotCurve {
    int Number = 0;  // 1, 2, ... in the order added
    int Pair = 0;
    std::vector<double> X;  // empty: the plot's shared x axis
    std::vector<double> Y;
    int XAxisUnit = 0;  // 0 the plot's, 4 metres

    Json::Value toJson() const;
};

struct PlotDataTp {
    PlotDataTp(int testId, int end, bool isCoax) : TestId(testId), End(end), IsCoax(isCoax) {}

    int TestId = 0;
    int End = 0;
    bool IsCoax = false;
    TwistedPairLabels PairText;
    bool Map568A = false;
    std::vector<double> X;  // MHz for frequency-domain plots
    std::vector<PlotLimitCurve> LimitCurves;
    std::vector<PlotCurve> Curves;

    // Adds a curve and returns its number.
    int AddCurve(int pair, std::vector<double> y, std::vector<double> x = {});
    PlotCurve* CurveNumbered(int number);
    // The limit curve of that pair, or null.
    PlotLimitCurve* LimitCurveOf(int pair);

    // {"TestId", "End", "IsCoax", "PairText", "Map568A", "X", "LimitCurves", "Curves"}
    Json::Value toJson() const;
};

struct TdrCoaxTest {
    SingleMeasurement Measurement;

    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct WireMapTest {
    int Status = 6;
    std::string WireMapTypeText;
    bool BadPatchNear = false;
    bool BadPatchFar = false;
    bool IsAcMap = false;
    int ShieldTest = 2;              // 1 tested, 2 not
    boost::optional<int> SplitPair;  // host pair id of the first split pair's two pairs
    // How the picture labels distances: metres (true) or feet, and the unit text after the number.
    bool Meters = true;
    std::string LengthUnit = "m";
    int Brief = 15;

    // {"Status", "WireMapTypeText", "BadPatchNear", "BadPatchFar", "IsAcMap", "ShieldTest", "SplitPair", "Brief"}
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

// Outcome of judging a stored result against another limit.
struct ReCertResult {
    int rcStatus = 2;  // 0 success, a pre-check status, or 2 for any other failure
    std::vector<uint8_t> newData;
    int testStatus = 6;  // host status of the new result

    Json::Value toJson() const;
};

// Name of a recertification status: "ready", "failed", "no plot data", "no insertion loss plot", ...
const char* ReCertStatusName(int rcStatus);

}  // namespace Kestrix::Tester
