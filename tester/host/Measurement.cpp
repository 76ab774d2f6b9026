#include "tester/host/Measurement.h"

#include <cmath>

namespace Kestrix::Tester {

Json::Value jsonNumber(double v) { return std::isfinite(v) ? Json::Value(v) : Json::Value(); }

Json::Value MeasParam::toJson() const { return treeOf(*this); }

// Members in name order (here and below): the text sink then has nothing to sort.
void MeasParam::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Kind", static_cast<int>(Kind));
    s.member("Precision", Precision);
    if (Qualifier)
        s.member("Qualifier", *Qualifier);
    else
        s.memberNull("Qualifier");
    s.member("Unit", Unit);
    s.memberNumber("Value", Value);
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
    s.member("CopperEnd", CopperEnd);
    s.member("IsWorstMarginSpecified", IsWorstMarginSpecified);
    s.member("Pair", Pair);
    s.key("Params");
    writeArray(s, Params);
    s.member("Status", Status);
    s.member("TestId", TestId);
}

}  // namespace Kestrix::Tester
