#include <zlib.h>

#include <vector>

#include "copper/CopperLimit.h"
#include "serialization/ByteStreamReader.h"

namespace Kestrix {

namespace {
// deflate cannot expand data by more than about 1032:1; a larger announced size is not a real blob and
// must not drive the allocation. Limits are kilobytes; the absolute cap only bounds corrupt rows.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kMaxLimitBytes = 64u << 20;
}  // namespace

Marshal::StreamOpStatus CopperLimit::open(const uint8_t* data, int length, int origSize) {
    if (data == nullptr || length < 0) return Marshal::invalidData;
    if (origSize < 1) {
        Marshal::ByteStreamReader r(data, static_cast<uint32_t>(length));
        return deserialize(r);
    }
    const auto wanted = static_cast<uint64_t>(origSize);
    if (wanted > kMaxLimitBytes || wanted > static_cast<uint64_t>(length) * kMaxInflateRatio + 64)
        return Marshal::invalidData;
    std::vector<uint8_t> plain(static_cast<size_t>(wanted));
    uLongf plainLen = static_cast<uLongf>(wanted);
    if (uncompress(plain.data(), &plainLen, data, static_cast<uLong>(length)) != Z_OK) return Marshal::invalidData;
    // Only the bytes zlib produced are read.
    Marshal::ByteStreamReader r(plain.data(), static_cast<uint32_t>(plainLen));
    return deserialize(r);
}

}  // namespace Kestrix
