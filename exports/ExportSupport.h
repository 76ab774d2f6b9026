#pragma once
// Shared pieces of the exported object functions (C++ only).
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include <json/writer.h>

#include "common/ResultEnvelope.h"
#include "serialization/ByteStreamCounter.h"
#include "serialization/DumpFlags.h"
#include "serialization/IDumpable.h"
#include "serialization/SimpleFormatter.h"
#include "serialization/StoredCount.h"

namespace Kestrix::ExportSupport {

// No exception may cross into a C caller: the body's failure becomes the function's documented result.
template <typename R, typename Body>
R guarded(R onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

template <typename Body>
void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// A caller's 32-bit argument for a field of type Width: refused rather than wrapped into another value.
template <typename Width>
bool fits(int32_t value) {
    return Marshal::fitsStored<Width>(value);
}

// Texts are stored with a 16-bit length.
inline bool storableText(const char* text) {
    return text == nullptr || std::strlen(text) <= std::numeric_limits<uint16_t>::max();
}

// The two-call contract: without a buffer the size, with one a copy of at most `size` bytes and 0.
inline uint32_t serializeInto(const Marshal::ISerializable& object, uint8_t* buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        Marshal::ByteStreamCounter counter;
        object.serialize(counter);
        return static_cast<uint32_t>(counter.size());
    }
    const std::vector<uint8_t> bytes = serializeToBytes(object);
    std::memcpy(buffer, bytes.data(), std::min<size_t>(size, bytes.size()));
    return 0;
}

inline std::string jsonText(const Dump::IJsonable& object) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    return Json::writeString(builder, object.toJson(Dump::DumpFlags{}));
}

inline void dumpToStdout(const Dump::IJsonable* object) {
    if (object == nullptr) return;
    Dump::SimpleFormatter f(&std::cout);
    f.line(jsonText(*object).c_str());
}

inline int32_t dumpIntoBuffer(const Dump::IJsonable* object, char* buffer, uint32_t size) {
    if (object == nullptr) return -1;
    const std::string text = jsonText(*object);
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return -1;
    if (buffer == nullptr || size == 0) return static_cast<int32_t>(text.size());
    std::memcpy(buffer, text.data(), std::min<size_t>(size, text.size()));
    return 0;
}

}  // namespace Kestrix::ExportSupport
