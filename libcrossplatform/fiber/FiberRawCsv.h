#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "fiber/FiberResult.h"

namespace Kestrix {

enum class FiberRawCsvStatus : int32_t {
    written = 0,
    cannotOpen = 2,
    // An image in a format this program does not know: nothing is written.
    unsupportedImageFormat = 3,
    noImageTest = 4,
};

// Writes the end-face inspection data of the result's image tests ("Image End 1" / "Image End 2") as CSV.
FiberRawCsvStatus fiberToRawCsv(const std::string& path, const FiberResult& result);
// The same into a stream (no file to open).
FiberRawCsvStatus fiberToRawCsv(std::ostream& out, const FiberResult& result);

}  // namespace Kestrix
