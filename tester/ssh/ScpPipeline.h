#pragma once
// Several SCP downloads in one transfer: one "scp -f" with every path, as the tester's scp sends a list of
// files one after another on one channel. A file that cannot be sent is reported for itself and the
// others still come; what arrives is what one download per file would give, without a channel per file.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/ssh/SshClient.h"

namespace Kestrix::Tester {

struct PipelinedFile {
    std::string remotePath;
    boost::optional<std::vector<uint8_t>> data;  // none when the file did not arrive
    std::string error;
    bool socketError = false;  // the connection was lost before this file arrived
};

// Fetches every file in order. Never throws.
void getFilesInOneTransfer(SshClient& client, std::vector<PipelinedFile>& files, int timeoutMs, uint64_t maxFileSize);

}  // namespace Kestrix::Tester
