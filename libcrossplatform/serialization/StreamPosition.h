#pragma once
#include <cstdint>

namespace Marshal {

// Base of a seek; stored values are fixed.
enum StreamPosition : int32_t { begin = 0, current = 1, end = 2 };

}  // namespace Marshal
