#include "tester/ssh/Channel.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include <libssh/libssh.h>

namespace Kestrix::Tester {
namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, INT_MAX)) : 0;
}

}  // namespace

Channel::Channel(SshClient& client) : _client(client) {
    if (!client.isConnected()) throw SshError(SshErrorKind::Socket, "not connected to the tester");
    _channel = ssh_channel_new(client.session());
    if (!_channel) throw client.lastError("cannot create a channel");
    if (ssh_channel_open_session(_channel) != SSH_OK) {
        SshError e = failure("the tester refused a session channel");
        ssh_channel_free(_channel);
        _channel = nullptr;
        throw e;
    }
}

Channel::~Channel() {
    if (!_channel) return;
    if (sessionUsable(_client.session()) && ssh_channel_is_open(_channel)) ssh_channel_close(_channel);
    ssh_channel_free(_channel);
}

SshError Channel::failure(const std::string& what) const {
    SshError e = _client.lastError(what);
    if (e.isSocketError()) return e;
    return SshError(SshErrorKind::Remote, e.what());
}

void Channel::requestPty(const std::string& term, int columns, int rows) {
    if (ssh_channel_request_pty_size(_channel, term.c_str(), columns, rows) != SSH_OK)
        throw failure("pseudo-terminal refused");
}

void Channel::requestShell() {
    if (ssh_channel_request_shell(_channel) != SSH_OK) throw failure("shell refused");
}

void Channel::exec(const std::string& command) {
    if (ssh_channel_request_exec(_channel, command.c_str()) != SSH_OK) throw failure("command refused");
}

void Channel::writeAll(const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        auto n = static_cast<uint32_t>(std::min<size_t>(size, 1u << 30));
        int rc = ssh_channel_write(_channel, p, n);
        if (rc == SSH_ERROR) throw failure("write to the tester failed");
        if (rc <= 0) {
            // Flow control did not open within the client time-out.
            if (!sessionUsable(_client.session())) throw _client.lastError("write to the tester failed");
            throw SshError(SshErrorKind::Timeout, "the tester stopped accepting data");
        }
        p += rc;
        size -= static_cast<size_t>(rc);
    }
}

size_t Channel::readSome(void* buffer, size_t size, int timeoutMs) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(size, 1u << 30));
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int rc = ssh_channel_read_timeout(_channel, buffer, n, 0, std::max(1, msLeft(deadline)));
        if (rc > 0) return static_cast<size_t>(rc);
        if (!sessionUsable(_client.session())) throw _client.lastError("read from the tester failed");
        if (ssh_channel_is_eof(_channel) || ssh_channel_is_closed(_channel)) return 0;
        if (rc == SSH_ERROR) throw failure("read from the tester failed");
        if (msLeft(deadline) == 0)
            throw SshError(SshErrorKind::Timeout,
                           "no answer from the tester within " + std::to_string(timeoutMs) + " ms");
    }
}

size_t Channel::readPending(void* buffer, size_t size) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(size, 1u << 30));
    int rc = ssh_channel_read_nonblocking(_channel, buffer, n, 0);
    if (rc == SSH_ERROR) throw failure("read from the tester failed");
    return rc > 0 ? static_cast<size_t>(rc) : 0;
}

bool Channel::alive() {
    if (!sessionUsable(_client.session())) return false;
    int rc = ssh_channel_poll_timeout(_channel, 0, 0);
    if (rc == SSH_ERROR || rc == SSH_EOF) return false;
    return sessionUsable(_client.session()) && ssh_channel_is_open(_channel) && !ssh_channel_is_eof(_channel);
}

void Channel::sendEof() {
    if (sessionUsable(_client.session()) && ssh_channel_is_open(_channel)) ssh_channel_send_eof(_channel);
}

}  // namespace Kestrix::Tester
