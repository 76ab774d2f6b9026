#include "trace/LibraryChannels.h"

#include <cstring>

#include "trace/TraceBuffer.h"

namespace Kestrix {

namespace {
const char* const kNames[] = {"Wiremap::",           "WiremapArtifactSplitPair::", "WiremapArtifactConnected::",
                              "WiremapArtifactOpen::", "WiremapArtifactShort::",     "project"};
constexpr size_t kCount = sizeof(kNames) / sizeof(kNames[0]);

struct Registered {
    int32_t ids[kCount];
    Registered() {
        TraceBuffer::instance().ensureChannels(kNames, kCount, TraceLevel::error | TraceLevel::info | TraceLevel::warning,
                                               ids);
    }
};
}  // namespace

int32_t libraryChannel(const char* name) {
    static const Registered registered;  // thread-safe, once
    for (size_t i = 0; i < kCount; ++i)
        if (name && std::strcmp(kNames[i], name) == 0) return registered.ids[i];
    return TraceBuffer::kNoChannel;
}

}  // namespace Kestrix
