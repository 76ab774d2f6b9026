#pragma once
// Reading helpers shared by the fiber classes (internal).
#include <cstdint>

#include "serialization/Header.h"
#include "serialization/IObjectReader.h"

namespace Kestrix::FiberRead {

// Fiber and limit records written by a newer minor revision carry fields this reader does not know:
// they are skipped and the read still succeeds. A payload that ends past the buffer is left to finishRead.
inline Marshal::StreamOpStatus finishSkippingExtra(const Marshal::Header& h, Marshal::IObjectReader& r) {
    if (r.failed()) return h.finishRead(r, Marshal::readError);
    const uint32_t extra = h.payloadRemaining(r);
    if (extra > 0 && extra <= r.remaining()) r.seek(static_cast<int32_t>(extra), Marshal::current);
    return h.finishRead(r, Marshal::ok);
}

// One stored byte, for flags and small numbers; enumerations go through Marshal::readEnum.
inline uint8_t readByte(Marshal::IObjectReader& r) {
    uint8_t v = 0;
    r.read(v);
    return v;
}

}  // namespace Kestrix::FiberRead
