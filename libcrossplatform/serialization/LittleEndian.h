#pragma once
// Little-endian images of primitives, assembled from unsigned bytes by shifts so the host's order never matters.
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Marshal::LittleEndian {

template <typename T>
inline void store(uint8_t* out, T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if constexpr (std::is_same_v<T, bool>) {
        out[0] = value ? 1 : 0;
    } else {
        using U = std::conditional_t<
            sizeof(T) == 1, uint8_t,
            std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
        U u;
        std::memcpy(&u, &value, sizeof(T));
        for (size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<uint8_t>(u >> (8 * i));
    }
}

template <typename T>
inline T load(const uint8_t* in) {
    static_assert(std::is_trivially_copyable_v<T>);
    if constexpr (std::is_same_v<T, bool>) {
        return in[0] != 0;
    } else {
        using U = std::conditional_t<
            sizeof(T) == 1, uint8_t,
            std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
        U u = 0;
        for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | (static_cast<U>(in[i]) << (8 * i)));
        T value;
        std::memcpy(&value, &u, sizeof(T));
        return value;
    }
}

}  // namespace Marshal::LittleEndian
