#pragma once
#include <cstdint>

#include "serialization/StreamPosition.h"

namespace Marshal {

// The checked seek rule shared by the builder, the counter and the reader: the target must lie in 0..size.
// A violation is a programming error; readers that follow stored lengths check before they seek.
int32_t seekTarget(int32_t offset, StreamPosition base, int64_t pos, int64_t size);

}  // namespace Marshal
