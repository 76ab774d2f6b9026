#include "storage/ProjectTrace.h"

#include <cstdarg>

#include "trace/LibraryChannels.h"
#include "trace/TraceBuffer.h"

namespace Project {

namespace {
int32_t projectChannel() { return Kestrix::libraryChannel("project"); }
}  // namespace

void traceWarning(const char* format, ...) {
    const int32_t channel = projectChannel();
    if (channel == Kestrix::TraceBuffer::kNoChannel) return;
    va_list args;
    va_start(args, format);
    Kestrix::TraceBuffer::instance().vtrace(channel, Kestrix::TraceLevel::warning, format, args);
    va_end(args);
}

}  // namespace Project
