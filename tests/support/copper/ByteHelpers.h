#pragma once
// Serialize, read back and cut objects in copper tests.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/ResultEnvelope.h"
#include "serialization/ByteStreamReader.h"

namespace kx::test::copper {

template <typename T>
std::vector<uint8_t> bytesOf(const T& object) {
    return Kestrix::serializeToBytes(object);
}

// An empty buffer fails without constructing a reader (which refuses size 0).
template <typename T>
Marshal::StreamOpStatus readInto(T& object, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return Marshal::readError;
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return object.deserialize(r);
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

}  // namespace kx::test::copper
