#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "fiber/FiberResult.h"

namespace Kestrix {

// Codes the record conversion turns into texts: 1 reads "Unable to read file" there, and 3 is taken by
// "No displayable plots in data".
enum class FiberRawCsvStatus : int32_t {
    written = 0,
    // An image in a format this program cannot read: nothing is written.
    unsupportedImageFormat = 1,
    cannotOpen = 2,
    noImageTest = 4,
};

// Writes the end-face inspection data of the result's image tests ("Image End 1" / "Image End 2") as CSV.
FiberRawCsvStatus fiberToRawCsv(const std::string& path, const FiberResult& result);
// The same into a stream (no file to open).
FiberRawCsvStatus fiberToRawCsv(std::ostream& out, const FiberResult& result);

}  // namespace Kestrix
