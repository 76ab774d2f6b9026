#pragma once
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/StreamOpStatus.h"

namespace Dump {
class IDumpable;
}

namespace Marshal {

class ISerializable {
public:
    virtual void serialize(IObjectWriter& w) const = 0;
    virtual StreamOpStatus deserialize(IObjectReader& r) = 0;
    virtual ~ISerializable() = default;
};

}  // namespace Marshal
