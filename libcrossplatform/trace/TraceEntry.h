#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "serialization/IDumpable.h"

namespace Kestrix {

// One traced item: when, on which channel, at which level.
class TraceEntry {
public:
    virtual ~TraceEntry() = default;
    // 0 string entry, 1 object entry, 2 object entry marking a delimiter.
    virtual int32_t type() const = 0;

    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    int32_t channel = 0;
    uint32_t level = 0;
};

class StringEntry : public TraceEntry {
public:
    int32_t type() const override { return 0; }
    std::string text;  // at most 500 characters
};

class ObjectEntry : public TraceEntry {
public:
    int32_t type() const override { return delimiter ? 2 : 1; }
    std::string text;
    std::shared_ptr<const Dump::IDumpable> object;  // dumped at flush time
    bool delimiter = false;
};

}  // namespace Kestrix
