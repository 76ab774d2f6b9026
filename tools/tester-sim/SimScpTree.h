#pragma once
// The sending end of "scp -r -f PATH" (internal): a folder is sent with everything in it, as OpenSSH's
// scp does for "scp -r host:DIR .".
#include <memory>
#include <string>

#include "SimChannel.h"

namespace Kestrix::Sim {

std::unique_ptr<ChannelHandler> makeScpTreeSource(const std::string& path);

}  // namespace Kestrix::Sim
