#pragma once
#include "common/ScaledInt.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace FibDbus {

// The part of the trace the analysis and the limits cover, in metres. Both ends NaN: no span in force.
class OtdrSpan : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    OtdrSpan() = default;
    OtdrSpan(Kestrix::ScaledInt start, Kestrix::ScaledInt end) : spanStart(start), spanEnd(end) {}

    // Both ends hold a number: the analysis was limited to this span.
    bool isSet() const { return spanStart.isFinite() && spanEnd.isFinite(); }
    bool operator==(const OtdrSpan& o) const;

    // Framed (type 0x0041/0x0015): spanStart, spanEnd.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"OtdrSpan": {"_className", "_classVersion", "spanStart", "spanEnd"}}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    // Reads the inner object of toJson(); false when a member is missing or not a value text.
    bool fromJson(const Json::Value& inner);

    Kestrix::ScaledInt spanStart;
    Kestrix::ScaledInt spanEnd;
};

}  // namespace FibDbus
