#pragma once
#include <cstdint>

#include "serialization/ISerializable.h"

namespace Marshal {

class SerialTypeID : public ISerializable {
public:
    SerialTypeID() = default;
    SerialTypeID(uint16_t d, uint16_t c) : domain(d), code(c) {}

    void serialize(IObjectWriter& w) const override;
    StreamOpStatus deserialize(IObjectReader& r) override;

    // (domain << 16) | code, the form used for comparisons.
    uint32_t packed() const { return (static_cast<uint32_t>(domain) << 16) | code; }

    uint16_t domain = 0;
    uint16_t code = 0;
};

}  // namespace Marshal
