#pragma once
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Marshal {

// Value classes that are both stored and dumped (ScaledInt, Celsius).
class IDumpSerializable : public ISerializable, public Dump::IDumpable {};

}  // namespace Marshal
