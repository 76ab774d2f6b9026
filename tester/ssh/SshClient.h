#pragma once
// One SSH connection to a tester (libssh). The shell and the SCP transfers run as channels of it.
#include <string>

#include "tester/ssh/Address.h"
#include "tester/ssh/SshError.h"

struct ssh_session_struct;

namespace Kestrix::Tester {

// False for a session that is missing, closed or failed beyond repair.
bool sessionUsable(ssh_session_struct* session);

class SshClient {
public:
    static constexpr int kDefaultTimeoutMs = 5000;
    static constexpr uint16_t kDefaultPort = 22;

    SshClient();
    ~SshClient();
    SshClient(const SshClient&) = delete;
    SshClient& operator=(const SshClient&) = delete;

    // Time-out of every wait on the connection (connect, login, channel requests, flow control).
    void setTimeout(int ms);
    int timeout() const { return _timeoutMs; }

    // "ADDR" or "ADDR:PORT". The user's ssh configuration and known hosts are never consulted.
    void connect(const std::string& address);
    // False when the password is refused (the client is then disconnected); throws on transport errors.
    bool login(const std::string& user, const std::string& password);
    // Connected and logged in, as far as the client knows without asking the peer.
    bool isConnected() const;
    // Never throws.
    void disconnect();

    const std::string& address() const { return _address; }
    ssh_session_struct* session() const { return _session; }

    // The error of the last failed libssh call, classified: a connection libssh has given up is a socket error.
    SshError lastError(const std::string& what) const;

private:
    void applyTimeout();

    ssh_session_struct* _session = nullptr;
    std::string _address;
    int _timeoutMs = kDefaultTimeoutMs;
    bool _authenticated = false;
};

}  // namespace Kestrix::Tester
