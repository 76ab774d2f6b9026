// readResultSummary and readResultType over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "common/ResultEnvelope.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Kestrix::ResultSummary summary;
    Kestrix::readResultSummary(summary, data, static_cast<uint32_t>(size));
    Kestrix::ResultType type = Kestrix::ResultType::NOT_SET;
    Kestrix::readResultType(type, data, static_cast<uint32_t>(size));
    return 0;
}
