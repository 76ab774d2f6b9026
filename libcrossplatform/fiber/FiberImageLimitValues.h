#pragma once
#include <cstdint>

#include "fiber/FiberLimitTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// One end-face defect rule of an image limit. Nested: a leading version byte.
class FiberImageLimitValues : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;
    static constexpr uint32_t kWireSize = 1 + 1 + 1 + 1 + 4 + 4;

    bool operator==(const FiberImageLimitValues& o) const;
    // Rule order of a limit: type, zone, then size ascending with "no bound" (negative) last.
    bool sortsBefore(const FiberImageLimitValues& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    FiberImageZone zone = FiberImageZone::core;
    FiberImageFeatureType type = FiberImageFeatureType::none;
    int32_t maxFeatureSize = 0;  // negative: no bound
    int32_t allowedFeatures = 0;
    uint8_t comparison = 0;  // 0: size <= bound, else size < bound
};

}  // namespace Kestrix
