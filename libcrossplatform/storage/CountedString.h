#pragma once
// Text form of the project classes: a uint32 count of the characters plus the terminating NUL, the
// characters, the NUL.
#include <cstddef>
#include <cstdint>
#include <string>

#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/StreamOpStatus.h"

namespace Project {

// The project core refuses longer texts (and empty counts) as corrupt.
inline constexpr uint32_t kCoreMaxCountedLength = 200;
// So the longest core text that reads back, in bytes (the count includes the NUL).
inline constexpr size_t kCoreMaxTextBytes = kCoreMaxCountedLength - 1;

void writeCountedString(Marshal::IObjectWriter& w, const std::string& text);

// Reads a counted string; the text ends at the first NUL. A count that runs past the stream is a read
// error and allocates nothing. With `coreLimits`, a count of 0 or above 200 is invalid data.
Marshal::StreamOpStatus readCountedString(Marshal::IObjectReader& r, std::string& text, bool coreLimits = false);

// Old testers stored names in ISO 8859-1.
std::string latin1ToUtf8(const std::string& text);

}  // namespace Project
