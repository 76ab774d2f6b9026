#pragma once
#include <cstdint>

#include "common/ResultEnvelope.h"
#include "copper/CopperResult.h"

namespace Kestrix {

class CopperResultReader {
public:
    // Reads a copper result file: the summary (200), the test body (700), plots (701) and raw data (702).
    // On a non-success status the result holds what was read so far and is to be discarded.
    static ResultReaderStatus readResult(CopperResult& result, const uint8_t* buffer, uint32_t size);
};

}  // namespace Kestrix
