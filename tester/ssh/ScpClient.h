#pragma once
// SCP file transfers over the tester connection. Each transfer opens its own exec channel ("scp -t" or
// "scp -f") and closes it when done: the tester's server allows few session channels at once.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tester/ssh/SshClient.h"

namespace Kestrix::Tester {

// Bytes moved so far; `finished` once, after the last byte.
using TransferProgressFn = std::function<void(uint64_t transferred, bool finished)>;

class ScpClient {
public:
    static constexpr size_t kWriteChunk = 1 << 20;

    // Binds to an open, logged-in connection (which must outlive the binding); throws SshError otherwise.
    void bind(SshClient& client);
    bool bound() const { return _client != nullptr; }
    // Longest wait for the tester during a transfer (not the length of the transfer).
    void setTimeout(int ms) { _timeoutMs = ms > 0 ? ms : SshClient::kDefaultTimeoutMs; }
    int timeout() const { return _timeoutMs; }
    void setProgressHandler(TransferProgressFn fn) { _progress = std::move(fn); }
    // Downloads announced larger than this are refused before any byte is read.
    void setMaxFileSize(uint64_t bytes) { _maxFileSize = bytes; }

    // Throws SshError: Remote when the tester refuses the file, Socket when the connection is lost.
    void putFile(const uint8_t* data, size_t size, const std::string& remotePath);
    void putFile(const std::vector<uint8_t>& data, const std::string& remotePath) {
        putFile(data.data(), data.size(), remotePath);
    }
    std::vector<uint8_t> getFile(const std::string& remotePath);

private:
    SshClient& client();

    SshClient* _client = nullptr;
    int _timeoutMs = SshClient::kDefaultTimeoutMs;
    TransferProgressFn _progress;
    uint64_t _maxFileSize = uint64_t(4) << 30;
};

}  // namespace Kestrix::Tester
