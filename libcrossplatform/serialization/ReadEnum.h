#pragma once
// Enumerations are stored as an integer of a fixed width. They are read as that integer and then converted,
// never read into an enum's own storage, so the stored width is explicit and independent of the enum's.
#include <cstdint>
#include <type_traits>

#include "serialization/IObjectReader.h"

namespace Marshal {

// The enumeration stored as a Stored integer; a failed read gives the value 0 and leaves the failure flag set.
template <typename E, typename Stored = uint8_t>
E readEnum(IObjectReader& r) {
    static_assert(std::is_enum_v<E>, "enumerations only");
    static_assert(std::is_integral_v<Stored>, "stored as an integer");
    Stored v = 0;
    r.read(v);
    return static_cast<E>(v);
}

}  // namespace Marshal
