#pragma once
// Trace lines of the copper model, on the library's channels: nothing is traced until the host has locked
// the channel table (which adds those channels).

namespace Kestrix::CopperTrace {

// Level-2 (info) line on a named channel, printf-style.
void info(const char* channel, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace Kestrix::CopperTrace
