#pragma once
// Trace lines of the copper model. The library may be used by a caller that never set up the trace buffer,
// so the channels are registered (and the channel table locked) on first use.

namespace Kestrix::CopperTrace {

// Level-2 (info) line on a named channel, printf-style.
void info(const char* channel, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace Kestrix::CopperTrace
