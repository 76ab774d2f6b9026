// CopperLimit::open over arbitrary bytes. The first byte chooses the blob form: even, the plain stream;
// odd, zlib data whose uncompressed size is the next three bytes (little-endian).
#include <cstddef>
#include <cstdint>

#include "copper/CopperLimit.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > Marshal::kMaxStreamSize) return 0;
    const uint8_t mode = data[0];
    const uint8_t* blob = data + 1;
    size_t len = size - 1;
    int origSize = 0;
    if (mode & 1) {
        if (len < 3) return 0;
        origSize = blob[0] | (blob[1] << 8) | (blob[2] << 16);
        blob += 3;
        len -= 3;
    }
    Kestrix::CopperLimit limit;
    if (limit.open(blob, static_cast<int>(len), origSize) == Marshal::ok) {
        // Whatever was read must print at every detail level.
        for (uint32_t detail = 0; detail <= 2; ++detail) Dump::toJsonString(limit, Dump::DumpFlags{detail}, true);
        Dump::dumpToString(limit);
    }
    return 0;
}
