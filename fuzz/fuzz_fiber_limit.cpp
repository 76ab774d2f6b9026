// FiberLimit deserialization over arbitrary bytes; a limit that reads is printed, queried and written back.
#include <cstddef>
#include <cstdint>

#include "common/ResultEnvelope.h"
#include "fiber/FiberLimit.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Marshal::ByteStreamReader reader(data, static_cast<uint32_t>(size));
    Kestrix::FiberLimit limit;
    if (limit.deserialize(reader) != Marshal::ok) return 0;
    Dump::toJsonString(limit, Dump::DumpFlags{2}, true);
    for (const auto& v : limit.valuesList) {
        if (auto found = limit.getFiberLimitValues(Kestrix::FiberCategory::OM3, v.wavelength))
            found->getOltsLengthBasedLossBudgetParts(4, 2, Kestrix::ScaledInt(10.0f, Kestrix::ScaledInt::hundredths),
                                                     Kestrix::FiberLLRefMethod::threeJumper);
    }
    Kestrix::serializeToBytes(limit);
    return 0;
}
