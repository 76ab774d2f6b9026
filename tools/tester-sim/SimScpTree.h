#pragma once
// The sending end of "scp -f PATH..." with several paths, or with -r (internal): the files one after
// another on one channel, a folder (with -r) with everything in it, as OpenSSH's scp does for
// "scp -r host:DIR ." or "scp host:A host:B .". A path that cannot be sent is reported and the next one
// follows. The download fault switches apply to each file.
#include <memory>
#include <string>
#include <vector>

#include "SimChannel.h"

namespace Kestrix::Sim {

std::unique_ptr<ChannelHandler> makeScpTreeSource(std::vector<std::string> paths, bool recursive);

}  // namespace Kestrix::Sim
