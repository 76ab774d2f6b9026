#pragma once
// Serialize, read back, cut and rewrite objects' bytes in tests: one copy for every area.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "serialization/ByteStreamBuilder.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/Header.h"

namespace kx::test {

// Where the fields of a framed object's 12-byte header sit (magic, header version, class version, type id,
// payload length), so that tests name the byte they corrupt.
inline constexpr size_t kHeaderBytes = Marshal::Header::kSize;
inline constexpr size_t kClassVersionOffset = 3;
inline constexpr size_t kTypeIdOffset = 4;
inline constexpr size_t kLengthOffset = 8;

template <typename T>
std::vector<uint8_t> bytesOf(const T& object) {
    Marshal::ByteStreamBuilder b;
    object.serialize(b);
    return b.bytes();
}

// An empty buffer fails without constructing a reader (which refuses size 0).
template <typename T>
Marshal::StreamOpStatus readInto(T& object, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return Marshal::readError;
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return object.deserialize(r);
}

template <typename T>
T roundTrip(const T& object, Marshal::StreamOpStatus* status = nullptr) {
    T back;
    const auto st = readInto(back, bytesOf(object));
    if (status) *status = st;
    return back;
}

// Every proper prefix of `bytes` must fail to read (and must not crash).
template <typename T>
bool everyPrefixFails(const std::vector<uint8_t>& bytes) {
    for (size_t n = 0; n < bytes.size(); ++n) {
        T object;
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        if (readInto(object, cut) == Marshal::ok) return false;
    }
    return true;
}

inline uint32_t get32(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes.at(at + i)) << (8 * i);
    return v;
}

inline void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

// Rewrites a framed object's bytes as an older or other layout: sets the class version of the header at
// `headerAt`, erases `count` bytes at `eraseAt` (or inserts `insert` there) and fixes the payload length.
inline std::vector<uint8_t> reframe(std::vector<uint8_t> bytes, size_t headerAt, uint8_t version, size_t eraseAt,
                                    size_t count, const std::vector<uint8_t>& insert = {}) {
    bytes.at(headerAt + kClassVersionOffset) = version;
    const uint32_t length =
        get32(bytes, headerAt + kLengthOffset) - static_cast<uint32_t>(count) + static_cast<uint32_t>(insert.size());
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(eraseAt),
                bytes.begin() + static_cast<std::ptrdiff_t>(eraseAt + count));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(eraseAt), insert.begin(), insert.end());
    put32(bytes, headerAt + kLengthOffset, length);
    return bytes;
}

}  // namespace kx::test
