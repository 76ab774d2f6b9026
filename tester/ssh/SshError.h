#pragma once
#include <stdexcept>
#include <string>

namespace Kestrix::Tester {

enum class SshErrorKind {
    Socket,    // the connection is gone (reset, closed, unreachable): reconnect before the next use
    Timeout,   // the peer did not answer in time; the connection may still be usable
    Auth,      // login refused
    Remote,    // the peer refused an operation (scp error message, channel refused)
    Protocol,  // the peer sent something that makes no sense
    Usage,     // the caller passed something that cannot be sent (bad address, newline in a path)
};

class SshError : public std::runtime_error {
public:
    SshError(SshErrorKind kind, const std::string& what) : std::runtime_error(what), _kind(kind) {}
    SshErrorKind kind() const { return _kind; }
    bool isSocketError() const { return _kind == SshErrorKind::Socket; }

private:
    SshErrorKind _kind;
};

}  // namespace Kestrix::Tester
