#pragma once
#include <cstdint>
#include <vector>

namespace Kestrix {

// The channels the library itself traces on (the copper wiremap channels, "project"). The process-wide
// trace buffer adds them when the host locks its channel table, after the host's own channels (a host
// channel of the same name is shared).
const std::vector<const char*>& libraryChannelNames();
// Their level mask: error, info and warning.
extern const uint32_t kLibraryChannelMask;

// The id of a library channel; kNoChannel while the table is not locked (the library traces nothing
// then), for a name that is not a library channel, or when the table had no room left for it.
int32_t libraryChannel(const char* name);

}  // namespace Kestrix
