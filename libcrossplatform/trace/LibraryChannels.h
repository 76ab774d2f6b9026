#pragma once
#include <cstdint>

namespace Kestrix {

// The id of one of the channels the library itself traces on (the copper wiremap channels, "project").
// All of them are registered together on the first call, and the table is locked then, so every area gets
// its channel whichever traces first, also for a caller that never touched the trace buffer. A name that
// is not a library channel, or a table locked earlier by the application without it, gives kNoChannel.
int32_t libraryChannel(const char* name);

}  // namespace Kestrix
