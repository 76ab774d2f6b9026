#pragma once
// One framed object read from bytes in memory, with the checks every caller needs done once.
#include <cstdint>
#include <span>

#include "serialization/ISerializable.h"

namespace Marshal {

// Stream positions and seek offsets are int32, and a container records its length in the same range, so no
// span of bytes above this is read as a stream or a container.
inline constexpr uint32_t kMaxStreamSize = 0x7FFFFFFF;

// Why a span of bytes cannot be read at all.
enum class SpanFault : uint8_t { none, empty, tooLarge };

SpanFault checkSpan(std::span<const uint8_t> bytes);

struct ObjectRead {
    StreamOpStatus status = ok;  // readError when the span cannot be read at all (fault says why)
    SpanFault fault = SpanFault::none;
    bool readerFailed = false;  // a read ran past the end of the bytes ...
    uint32_t failedAt = 0;      // ... first at this offset
};

ObjectRead readObject(std::span<const uint8_t> bytes, ISerializable& object);

}  // namespace Marshal
