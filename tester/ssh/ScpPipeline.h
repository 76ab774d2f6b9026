#pragma once
// Several SCP downloads in one transfer: one "scp -f" with every path, as the tester's scp sends a list of
// files one after another on one channel. A file that cannot be sent is reported for itself and the
// others still come; what arrives is what one download per file would give, without a channel per file.
#include <cstdint>
#include <functional>
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

// The bounds the one-file reader has, for a whole batch.
struct PipelineLimits {
    int timeoutMs = SshClient::kDefaultTimeoutMs;  // longest wait; each file may take it plus its size at the
                                                   // slowest rate allowed
    uint64_t maxFileSize = uint64_t(64) << 20;     // a file announced larger is refused before it is read
    uint64_t groupBudget = uint64_t(256) << 20;    // all files together
};

// Told each file's outcome as soon as it is known, in order (the caller may move its data out); returns false
// to stop: the transfer ends there and the files after it are left untouched (no data, no error). Must not
// throw.
using PipelinedFileDone = std::function<bool(size_t index)>;

// Fetches every file in order. A file refused for its size ends that transfer; the files after it come in a
// new one. Never throws.
void getFilesInOneTransfer(SshClient& client, std::vector<PipelinedFile>& files, const PipelineLimits& limits,
                           const PipelinedFileDone& done = {});

}  // namespace Kestrix::Tester
