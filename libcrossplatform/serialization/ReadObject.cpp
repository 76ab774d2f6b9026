#include "serialization/ReadObject.h"

#include "serialization/ByteStreamReader.h"

namespace Marshal {

SpanFault checkSpan(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return SpanFault::empty;
    if (bytes.size() > kMaxStreamSize) return SpanFault::tooLarge;
    return SpanFault::none;
}

ObjectRead readObject(std::span<const uint8_t> bytes, ISerializable& object) {
    ObjectRead result;
    result.fault = checkSpan(bytes);
    if (result.fault != SpanFault::none) {
        result.status = readError;
        return result;
    }
    ByteStreamReader reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
    result.status = object.deserialize(reader);
    result.readerFailed = reader.failed();
    result.failedAt = reader.failedAt();
    return result;
}

}  // namespace Marshal
