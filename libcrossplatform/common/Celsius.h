#pragma once
#include <limits>

#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// A temperature stored as int16 hundredths of a degree; -32768 means no value.
class Celsius : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    Celsius() = default;
    explicit Celsius(float d) : degrees(d) {}

    std::string toString() const;
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    float degrees = std::numeric_limits<float>::quiet_NaN();
};

}  // namespace Kestrix
