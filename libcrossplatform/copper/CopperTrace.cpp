#include "copper/CopperTrace.h"

#include <cstdarg>
#include <cstring>
#include <mutex>

#include "trace/LibraryChannels.h"
#include "trace/TraceBuffer.h"

namespace Kestrix::CopperTrace {

namespace {
// The copper channels are library channels, registered together with the other areas' ones.
int32_t channelId(const char* name) { return libraryChannel(name); }
}  // namespace

void info(const char* channel, const char* format, ...) {
    const int32_t id = channelId(channel);
    if (id == TraceBuffer::kNoChannel) return;
    va_list args;
    va_start(args, format);
    TraceBuffer::instance().vtrace(id, TraceLevel::info, format, args);
    va_end(args);
}

}  // namespace Kestrix::CopperTrace
