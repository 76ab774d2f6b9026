#include "trace/LibraryChannels.h"

#include <cstring>

#include "trace/TraceBuffer.h"

namespace Kestrix {

const uint32_t kLibraryChannelMask = TraceLevel::error | TraceLevel::info | TraceLevel::warning;

const std::vector<const char*>& libraryChannelNames() {
    static const std::vector<const char*> names = {"Wiremap::",
                                                   "WiremapArtifactSplitPair::",
                                                   "WiremapArtifactConnected::",
                                                   "WiremapArtifactOpen::",
                                                   "WiremapArtifactShort::",
                                                   "project"};
    return names;
}

namespace {
// Looked up once the table is locked, after which it never changes.
struct LockedIds {
    std::vector<int32_t> ids;
    LockedIds() {
        for (const char* name : libraryChannelNames()) ids.push_back(TraceBuffer::instance().findChannel(name));
    }
};
}  // namespace

int32_t libraryChannel(const char* name) {
    if (!name || !TraceBuffer::instance().locked()) return TraceBuffer::kNoChannel;
    static const LockedIds locked;
    const auto& names = libraryChannelNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (std::strcmp(names[i], name) == 0) return locked.ids[i];
    return TraceBuffer::kNoChannel;
}

}  // namespace Kestrix
