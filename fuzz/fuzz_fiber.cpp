// Fiber deserialization over arbitrary bytes; a fiber that reads is printed and written back.
#include <cstddef>
#include <cstdint>

#include "common/ResultEnvelope.h"
#include "fiber/Fiber.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Marshal::ByteStreamReader reader(data, static_cast<uint32_t>(size));
    Kestrix::Fiber fiber;
    if (fiber.deserialize(reader) != Marshal::ok) return 0;
    Dump::toJsonString(fiber, Dump::DumpFlags{2}, true);
    fiber.getNominalCoreSize();
    Kestrix::serializeToBytes(fiber);
    return 0;
}
