#pragma once
// Shared pieces of the exported object functions (C++ only).
#include <cstdint>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include <json/writer.h>

#include "common/ResultEnvelope.h"
#include "serialization/DumpFlags.h"
#include "serialization/IDumpable.h"
#include "serialization/SimpleFormatter.h"

namespace Kestrix::ExportSupport {

// The two-call contract: without a buffer the size, with one a copy of at most `size` bytes and 0.
inline uint32_t serializeInto(const Marshal::ISerializable& object, uint8_t* buffer, uint32_t size) {
    const std::vector<uint8_t> bytes = serializeToBytes(object);
    if (buffer == nullptr || size == 0) return static_cast<uint32_t>(bytes.size());
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
    if (buffer == nullptr || size == 0) return static_cast<int32_t>(text.size());
    std::memcpy(buffer, text.data(), std::min<size_t>(size, text.size()));
    return 0;
}

}  // namespace Kestrix::ExportSupport
