#pragma once
#include <cstdint>
#include <vector>

#include "serialization/ByteStreamReader.h"
#include "serialization/ISerializable.h"

template <typename T>
Marshal::StreamOpStatus readInto(T& object, const std::vector<uint8_t>& bytes) {
    // A reader needs at least one byte; nothing at all cannot be an object.
    if (bytes.empty()) return Marshal::readError;
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return object.deserialize(r);
}

inline void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}
