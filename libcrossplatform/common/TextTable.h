#pragma once
// Texts of enumerations kept as tables indexed by the stored code.
#include <cstddef>
#include <cstdint>

namespace Kestrix {

// The text at `i`, or "" for a code outside the table (stored by a newer writer, or damaged).
template <std::size_t N>
const char* textAt(const char* const (&texts)[N], int64_t i) {
    return i >= 0 && i < static_cast<int64_t>(N) ? texts[i] : "";
}

}  // namespace Kestrix
