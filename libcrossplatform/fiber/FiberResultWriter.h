#pragma once
#include <cstdint>
#include <vector>

#include "common/ResultEnvelope.h"
#include "fiber/FiberResult.h"

namespace Kestrix {

// Writes a FiberResult as a result file: the summary (section 200), then each test's sections with the
// section types of its test bit, every section compressed at level 1.
class FiberResultWriter {
public:
    // The container bytes; failed when a test's type has no sections of its kind.
    static ResultWriterStatus writeResult(const FiberResult& result, std::vector<uint8_t>& out);
    // Into the caller's buffer, which must hold the whole container.
    static ResultWriterStatus writeResultBuffer(uint8_t* buffer, uint32_t capacity, uint32_t& written,
                                                const FiberResult& result);
};

}  // namespace Kestrix
