#pragma once
#include <json/value.h>

#include "serialization/DumpFlags.h"
#include "serialization/IFormatter.h"

namespace Dump {

class IDumpable {
public:
    virtual void dump(IFormatter& f, const DumpFlags& flags) const = 0;
    virtual ~IDumpable() = default;
};

// JSON form: an object holding one member named after the class.
class IJsonable {
public:
    virtual Json::Value toJson(const DumpFlags& flags) const = 0;
    virtual ~IJsonable() = default;
};

}  // namespace Dump
