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
