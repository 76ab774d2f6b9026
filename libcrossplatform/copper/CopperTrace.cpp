#include "copper/CopperTrace.h"

#include <cstdarg>
#include <cstring>
#include <mutex>

#include "trace/TraceBuffer.h"

namespace Kestrix::CopperTrace {

namespace {
constexpr uint32_t kChannelMask = TraceLevel::error | TraceLevel::info | TraceLevel::warning;

// Every channel the copper model traces on. They are registered together: the table is locked as soon as
// the first one is ensured, so a channel registered later would never get an id.
const char* const kChannels[] = {"Wiremap::", "WiremapArtifactSplitPair::", "WiremapArtifactConnected::",
                                 "WiremapArtifactOpen::", "WiremapArtifactShort::"};
constexpr size_t kChannelCount = sizeof(kChannels) / sizeof(kChannels[0]);

struct Registry {
    int32_t ids[kChannelCount];

    Registry() {
        TraceBuffer& tb = TraceBuffer::instance();
        // Create them while the table is open (the caller never set up the trace buffer); ensureChannel then
        // finds them and locks the table. Only a table locked by someone else in between leaves a channel
        // without id, and tracing on it does nothing.
        for (size_t i = 0; i < kChannelCount; ++i)
            if (!tb.locked() && tb.channelTable().find(kChannels[i]) < 0) tb.createChannel(kChannels[i], kChannelMask);
        for (size_t i = 0; i < kChannelCount; ++i) ids[i] = tb.ensureChannel(kChannels[i], kChannelMask);
    }

    int32_t idOf(const char* name) const {
        for (size_t i = 0; i < kChannelCount; ++i)
            if (std::strcmp(kChannels[i], name) == 0) return ids[i];
        return TraceBuffer::kNoChannel;
    }
};

int32_t channelId(const char* name) {
    static const Registry registry;  // thread-safe one-time registration
    return registry.idOf(name);
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
