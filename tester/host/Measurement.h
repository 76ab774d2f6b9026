#pragma once
// The host's measurement carriers shared by copper and fiber tests: one parameter (a value, a limit, a
// margin or a frequency) and one measurement made of such parameters.
#include <string>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

#include "tester/host/JsonSink.h"
#include "tester/host/HostStatus.h"

namespace Kestrix::Tester {

// Host parameter kinds.
enum class MeasKind : int {
    Value = 1,
    LowerLimit = 2,
    UpperLimit = 3,
    MarginLower = 4,  // value - limit
    MarginUpper = 5,  // limit - value
    Frequency = 9,
};

// The host's qualifier for a parameter that has no value; other qualifiers (12, 13, 18) are passed as given.
inline constexpr int kQualifierNoValue = 17;

struct MeasParam {
    MeasParam() = default;
    MeasParam(MeasKind kind, double value, int unit, int precision, boost::optional<int> qualifier = boost::none)
        : Kind(kind), Value(value), Unit(unit), Precision(precision), Qualifier(qualifier) {}

    MeasKind Kind = MeasKind::Value;
    double Value = 0.0;  // NaN when there is no value
    int Unit = 0;        // host unit code
    int Precision = 0;   // digits after the point
    boost::optional<int> Qualifier;

    // {"Kind", "Value" (null when not a finite number), "Unit", "Precision", "Qualifier" (null when unset)}
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
};

struct SingleMeasurement {
    SingleMeasurement() = default;
    explicit SingleMeasurement(int testId, int status = kHostStatusUnknown, int pair = 0)
        : TestId(testId), Status(status), Pair(pair) {}

    int TestId = 0;                   // host test id
    int Status = kHostStatusUnknown;  // host status
    int Pair = 0;                     // host pair id
    int CopperEnd = 0;                // 0 when the measurement has no end
    bool IsWorstMarginSpecified = false;
    std::vector<MeasParam> Params;

    void Add(const MeasParam& p) { Params.push_back(p); }
    // The first parameter of that kind, or null.
    const MeasParam* Find(MeasKind kind) const;

    // {"TestId", "Status", "Pair", "CopperEnd", "IsWorstMarginSpecified", "Params": [...]}
    Json::Value toJson() const;
    void writeJson(JsonSink& s) const;
    // The members above, for measurements that add their own.
    void writeMembers(JsonSink& s) const;
};

// A finite number, else null: the host record's form of NaN.
Json::Value jsonNumber(double v);

// The tree of an object that writes itself.
template <typename T>
Json::Value treeOf(const T& object) {
    JsonTreeSink s;
    object.writeJson(s);
    return s.take();
}

}  // namespace Kestrix::Tester
