#pragma once
#include <cstdint>
#include <vector>

#include "common/ResultEnvelope.h"
#include "copper/CopperResult.h"

namespace Kestrix {

class CopperResultWriter {
public:
    // Writes the result as a container into the caller's buffer; `written` gets the container length.
    static ResultWriterStatus writeResultBuffer(uint8_t* buffer, uint32_t capacity, uint32_t& written,
                                                const CopperResult& result);
    // The same into a buffer of the exact size; empty on failure.
    static std::vector<uint8_t> writeResult(const CopperResult& result);
};

}  // namespace Kestrix
