#pragma once
#include <cstdint>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// Base of the test setups held by projects and tests (loss/length 4, copper 3, OTDR ...).
class Settings : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    ~Settings() override = default;
    virtual int32_t kind() const = 0;
    // Reads the class's own JSON form; false when a member is missing or malformed.
    virtual bool fromJson(const Json::Value& json) = 0;
};

}  // namespace Kestrix
