#pragma once
// The allowed range of one scalar quantity (resistance, length, delay...). A NaN bound means no bound.
#include <cstdint>

#include "common/ScaledInt.h"
#include "copper/CopperLimitTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperScalarLimit : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;
    // version, type, isInfoOnly, two ScaledInts
    static constexpr uint32_t kWireSize = 3 + 2 * ScaledInt::kWireSize;

    // No header: a scalar limit exists only inside a CopperLimit.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    CopperScalarLimitType type = CopperScalarLimitType::NULL_LIMIT;
    ScaledInt maxValue;
    ScaledInt minValue;
    bool isInfoOnly = false;
};

}  // namespace Kestrix
