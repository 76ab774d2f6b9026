#pragma once
#include <cstdint>
#include <string>

#include "common/ScaledInt.h"

namespace Kestrix {

enum class DisplayType : int32_t { notAvailable = 0, normal = 1, greaterThan = 2, lessThan = 3, dashes = 4 };

// "N/A", the value, "> value", "< value", "---"; empty for other types.
std::string displayText(const ScaledInt& value, DisplayType type);

// A value with how it is shown. Wire: uint8 version 1, ScaledInt, int8 display type (8 bytes).
class DisplayMeas : public Marshal::ISerializable, public Dump::IDumpable {
public:
    DisplayMeas() = default;
    DisplayMeas(ScaledInt v, DisplayType t) : value(v), displayType(t) {}

    std::string toString() const { return displayText(value, displayType); }
    void accumulateMax(const DisplayMeas& other);
    void accumulateMin(const DisplayMeas& other);

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;

    ScaledInt value;
    DisplayType displayType = DisplayType::notAvailable;
};

}  // namespace Kestrix
