#pragma once
#include <cstdint>

#include "common/ResultEnvelope.h"
#include "fiber/FiberResult.h"

namespace Kestrix {

// Turns a fiber result file into a FiberResult. On failure the result keeps what was read so far.
class FiberResultReader {
public:
    static ResultReaderStatus readResult(FiberResult& result, const uint8_t* buffer, uint32_t size);
};

}  // namespace Kestrix
