#include "tester/host/Measurement.h"

#include <cmath>

namespace Kestrix::Tester {

Json::Value jsonNumber(double v) { return std::isfinite(v) ? Json::Value(v) : Json::Value(); }

Json::Value MeasParam::toJson() const { return treeOf(*this); }

void MeasParam::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Kind", static_cast<int>(Kind));
    s.memberNumber("Value", Value);
    s.member("Unit", Unit);
    s.member("Precision", Precision);
    if (Qualifier)
        s.member("Qualifier", *Qualifier);
    else
        s.memberNull("Qualifier");
    s.endObject();
}

const MeasParam* SingleMeasurement::Find(MeasKind kind) const {
    for (const MeasParam& p : Params)
        if (p.Kind == kind) return &p;
    return nullptr;
}

Json::Value SingleMeasurement::toJson() const { return treeOf(*this); }

void SingleMeasurement::writeJson(JsonSink& s) const {
    s.beginObject();
    writeMembers(s);
    s.endObject();
}

void SingleMeasurement::writeMembers(JsonSink& s) const {
    s.member("TestId", TestId);
    s.member("Status", Status);
    s.member("Pair", Pair);
    s.member("CopperEnd", CopperEnd);
    s.member("IsWorstMarginSpecified", IsWorstMarginSpecified);
    s.key("Params");
    writeArray(s, Params);
}

}  // namespace Kestrix::Tester
