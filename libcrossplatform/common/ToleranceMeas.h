#pragma once
#include <cmath>
#include <limits>
#include <string>

#include "common/DisplayMeas.h"
#include "serialization/IDumpable.h"

namespace Kestrix {

// A value with optional tolerances (NaN = absent). Wire: uint8 version 1, ScaledInt, int8 display type,
// float posTolerance, float negTolerance (16 bytes).
class ToleranceMeas : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    ToleranceMeas() = default;
    ToleranceMeas(ScaledInt v, DisplayType t, float pos, float neg)
        : value(v), displayType(t), posTolerance(pos), negTolerance(neg) {}

    DisplayMeas valueToDisplayMeas() const { return DisplayMeas(value, displayType); }
    std::string valueText() const { return valueToDisplayMeas().toString(); }
    std::string fullText() const;
    // Sets displayType from the value and which tolerances are present.
    void deriveDisplayType();
    static DisplayType derivedDisplayType(const ScaledInt& v, float pos, float neg);

    bool operator==(const ToleranceMeas& o) const;
    bool operator!=(const ToleranceMeas& o) const { return !(*this == o); }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    ScaledInt value;
    DisplayType displayType = DisplayType::notAvailable;
    float posTolerance = std::numeric_limits<float>::quiet_NaN();
    float negTolerance = std::numeric_limits<float>::quiet_NaN();
};

ToleranceMeas operator+(const ToleranceMeas& a, const ToleranceMeas& b);
ToleranceMeas max(const ToleranceMeas& a, const ToleranceMeas& b);

}  // namespace Kestrix
