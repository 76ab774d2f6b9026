#include "copper/CopperTrace.h"

#include <cstdarg>
#include <cstring>
#include <mutex>

#include "trace/TraceBuffer.h"

namespace Kestrix::CopperTrace {

namespace {
constexpr uint32_t kChannelMask = TraceLevel::error | TraceLevel::info | TraceLevel::warning;

// Every channel the copper model traces on, registered together.
const char* const kChannels[] = {"Wiremap::", "WiremapArtifactSplitPair::", "WiremapArtifactConnected::",
                                 "WiremapArtifactOpen::", "WiremapArtifactShort::"};
constexpr size_t kChannelCount = sizeof(kChannels) / sizeof(kChannels[0]);

struct Registry {
    int32_t ids[kChannelCount];

    Registry() {
        // All of them under one lock of the table, which is then locked, so none can be left without an id.
        TraceBuffer::instance().ensureChannels(kChannels, kChannelCount, kChannelMask, ids);
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
