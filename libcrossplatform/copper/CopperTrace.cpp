#include "copper/CopperTrace.h"

#include <cstdarg>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "trace/TraceBuffer.h"

namespace Kestrix::CopperTrace {

namespace {
constexpr uint32_t kChannelMask = TraceLevel::error | TraceLevel::info | TraceLevel::warning;

// Channel ids by name, found or created once; ensureChannel also locks the table for callers that never
// set up the trace buffer themselves.
int32_t channelId(const char* name) {
    static std::mutex mutex;
    static std::vector<std::pair<std::string, int32_t>> ids;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& e : ids)
        if (e.first == name) return e.second;
    const int32_t id = TraceBuffer::instance().ensureChannel(name, kChannelMask);
    ids.emplace_back(name, id);
    return id;
}
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
