#pragma once
// A session channel of an SshClient, closed and freed on every way out.
#include <cstddef>
#include <string>

#include "tester/ssh/SshClient.h"

struct ssh_channel_struct;

namespace Kestrix::Tester {

class Channel {
public:
    // Opens a session channel; throws SshError.
    explicit Channel(SshClient& client);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    void requestPty(const std::string& term, int columns, int rows);
    void requestShell();
    void exec(const std::string& command);

    void writeAll(const void* data, size_t size);
    void writeAll(const std::string& text) { writeAll(text.data(), text.size()); }
    // Bytes read (> 0), or 0 at end of file. Throws a time-out error when nothing came within `timeoutMs`.
    size_t readSome(void* buffer, size_t size, int timeoutMs);
    // What is there now, without waiting (0 when nothing is pending).
    size_t readPending(void* buffer, size_t size);
    // False once the peer ended the stream or the connection is gone.
    bool alive();
    void sendEof();

    SshClient& client() { return _client; }

private:
    SshError failure(const std::string& what) const;

    SshClient& _client;
    ssh_channel_struct* _channel = nullptr;
};

}  // namespace Kestrix::Tester
