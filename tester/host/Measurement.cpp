#include "tester/host/Measurement.h"

#include <cmath>

namespace Kestrix::Tester {

Json::Value jsonNumber(double v) { return std::isfinite(v) ? Json::Value(v) : Json::Value(); }

Json::Value MeasParam::toJson() const {
    Json::Value j(Json::objectValue);
    j["Kind"] = static_cast<int>(Kind);
    j["Value"] = jsonNumber(Value);
    j["Unit"] = Unit;
    j["Precision"] = Precision;
    j["Qualifier"] = Qualifier ? Json::Value(*Qualifier) : Json::Value();
    return j;
}

const MeasParam* SingleMeasurement::Find(MeasKind kind) const {
    for (const MeasParam& p : Params)
        if (p.Kind == kind) return &p;
    return nullptr;
}

Json::Value SingleMeasurement::toJson() const {
    Json::Value j(Json::objectValue);
    j["TestId"] = TestId;
    j["Status"] = Status;
    j["Pair"] = Pair;
    j["CopperEnd"] = CopperEnd;
    j["IsWorstMarginSpecified"] = IsWorstMarginSpecified;
    Json::Value params(Json::arrayValue);
    for (const MeasParam& p : Params) params.append(p.toJson());
    j["Params"] = params;
    return j;
}

}  // namespace Kestrix::Tester
