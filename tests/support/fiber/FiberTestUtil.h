#pragma once
// Byte-level helpers for the fiber tests: serialize, read back, cut.
#include <cstdint>
#include <vector>

#include "common/ResultEnvelope.h"
#include "serialization/ByteStreamReader.h"

namespace kx::test {

template <typename T>
std::vector<uint8_t> bytesOf(const T& object) {
    return Kestrix::serializeToBytes(object);
}

// Reads `object` from the bytes; an empty buffer fails without constructing a reader (which refuses size 0).
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
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        if (readInto(object, cut) == Marshal::ok) return false;
    }
    return true;
}

}  // namespace kx::test

namespace kx::test {

// Rewrites a framed object's bytes as an older or other layout: sets the class version of the header at
// `headerAt`, erases `count` bytes at `eraseAt` (or inserts `insert` there) and fixes the payload length.
inline std::vector<uint8_t> reframe(std::vector<uint8_t> bytes, size_t headerAt, uint8_t version, size_t eraseAt,
                                    size_t count, const std::vector<uint8_t>& insert = {}) {
    bytes[headerAt + 3] = version;
    uint32_t length = static_cast<uint32_t>(bytes[headerAt + 8]) | (static_cast<uint32_t>(bytes[headerAt + 9]) << 8) |
                      (static_cast<uint32_t>(bytes[headerAt + 10]) << 16) |
                      (static_cast<uint32_t>(bytes[headerAt + 11]) << 24);
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(eraseAt),
                bytes.begin() + static_cast<std::ptrdiff_t>(eraseAt + count));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(eraseAt), insert.begin(), insert.end());
    length = length - static_cast<uint32_t>(count) + static_cast<uint32_t>(insert.size());
    for (int i = 0; i < 4; ++i) bytes[headerAt + 8 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
    return bytes;
}

}  // namespace kx::test
