// The curve codec over arbitrary bytes: the first two bytes are a sample count, the rest packed samples.
// A decoded curve must pack and unpack to itself; the stream form must never read past its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "copper/CopperUtil.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > Marshal::kMaxStreamSize) return 0;
    const uint32_t count = static_cast<uint32_t>(data[0] | (data[1] << 8));
    const uint8_t* packed = data + 2;
    const auto packedLen = static_cast<uint32_t>(size - 2);

    std::vector<int16_t> samples(count);
    uint32_t used = 0;
    if (Kestrix::unpackCurve(packed, packedLen, samples.data(), count, &used)) {
        if (used > packedLen) std::abort();
        const std::vector<uint8_t> again = Kestrix::packCurve(samples);
        std::vector<int16_t> back(count);
        if (!Kestrix::unpackCurve(again.data(), static_cast<uint32_t>(again.size()), back.data(), count) ||
            back != samples)
            std::abort();
    } else if (used > packedLen) {
        std::abort();
    }

    Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
    std::vector<int16_t> stream;
    Kestrix::readPackedCurve(r, stream);
    return 0;
}
