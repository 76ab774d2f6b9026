#pragma once
// Problems met by the project's JSON readers go to the trace buffer (channel "project", warning level).

namespace Project {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void traceWarning(const char* format, ...);

}  // namespace Project
