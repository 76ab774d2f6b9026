#pragma once
// Counts stored in a field narrower than the collection they count. A longer collection is written as its
// first entries, so the count never wraps into a smaller one and the stream stays readable.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace Marshal {

// The most entries a count field of type Width can announce (65535 for the lists' uint16 counts).
template <typename Width>
inline constexpr size_t kMaxStoredCount = std::numeric_limits<Width>::max();

// The count to store for `size` entries in a field of type Width, and how many entries to write.
template <typename Width>
constexpr Width storedCount(size_t size) {
    static_assert(std::is_unsigned_v<Width>, "stored counts are unsigned");
    return static_cast<Width>(size < kMaxStoredCount<Width> ? size : kMaxStoredCount<Width>);
}

// True when `value` is representable in Width: the check setters make before storing an argument.
template <typename Width>
constexpr bool fitsStored(int64_t value) {
    static_assert(sizeof(Width) < sizeof(int64_t), "narrow fields only");
    return value >= static_cast<int64_t>(std::numeric_limits<Width>::min()) &&
           value <= static_cast<int64_t>(std::numeric_limits<Width>::max());
}

}  // namespace Marshal
