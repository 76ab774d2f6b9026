#include "tester/ssh/SshClient.h"

#include <mutex>

#include <libssh/libssh.h>

#include "tester/host/Printable.h"

namespace Kestrix::Tester {
namespace {

void initLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { ssh_init(); });
}

}  // namespace

bool sessionUsable(ssh_session_struct* session) {
    if (!session || ssh_is_connected(session) != 1) return false;
    return (ssh_get_status(session) & (SSH_CLOSED | SSH_CLOSED_ERROR)) == 0;
}

SshClient::SshClient() { initLibrary(); }

SshClient::~SshClient() { disconnect(); }

void SshClient::setTimeout(int ms) {
    _timeoutMs = ms > 0 ? ms : kDefaultTimeoutMs;
    applyTimeout();
}

void SshClient::applyTimeout() {
    if (!_session) return;
    long seconds = _timeoutMs / 1000;
    long micros = (_timeoutMs % 1000) * 1000L;
    ssh_options_set(_session, SSH_OPTIONS_TIMEOUT, &seconds);
    ssh_options_set(_session, SSH_OPTIONS_TIMEOUT_USEC, &micros);
}

void SshClient::connect(const std::string& address) {
    disconnect();
    auto parsed = parseAddress(address);
    if (!parsed) throw SshError(SshErrorKind::Usage, "bad tester address \"" + address + "\"");
    _address = address;
    _session = ssh_new();
    if (!_session) throw SshError(SshErrorKind::Socket, "cannot create an SSH session");
    int noConfig = 0;
    unsigned port = parsed->port ? parsed->port : kDefaultPort;
    int logLevel = SSH_LOG_NOLOG;
    // Small SCP acknowledgements must not wait for the peer's delayed ACK.
    int noDelay = 1;
    ssh_options_set(_session, SSH_OPTIONS_NODELAY, &noDelay);
    ssh_options_set(_session, SSH_OPTIONS_PROCESS_CONFIG, &noConfig);
    ssh_options_set(_session, SSH_OPTIONS_HOST, parsed->host.c_str());
    ssh_options_set(_session, SSH_OPTIONS_PORT, &port);
    ssh_options_set(_session, SSH_OPTIONS_LOG_VERBOSITY, &logLevel);
    ssh_options_set(_session, SSH_OPTIONS_KNOWNHOSTS, "/dev/null");
    ssh_options_set(_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "/dev/null");
    applyTimeout();
    if (ssh_connect(_session) != SSH_OK) {
        SshError e(SshErrorKind::Socket, "cannot connect to " + address + ": " + printable(ssh_get_error(_session)));
        disconnect();
        throw e;
    }
}

bool SshClient::login(const std::string& user, const std::string& password) {
    if (!_session) throw SshError(SshErrorKind::Usage, "login without a connection");
    // The tester is known only by its address on a private link; its host key is not pinned.
    int rc = ssh_userauth_password(_session, user.c_str(), password.c_str());
    if (rc == SSH_AUTH_SUCCESS) {
        _authenticated = true;
        return true;
    }
    if (rc == SSH_AUTH_ERROR) {
        SshError e = lastError("login to " + _address);
        disconnect();
        throw e;
    }
    disconnect();
    return false;
}

bool SshClient::isConnected() const { return _authenticated && sessionUsable(_session); }

void SshClient::disconnect() {
    if (!_session) return;
    ssh_disconnect(_session);
    ssh_free(_session);
    _session = nullptr;
    _authenticated = false;
}

SshError SshClient::lastError(const std::string& what) const {
    if (!_session) return SshError(SshErrorKind::Socket, what + ": not connected");
    // libssh's text may quote the peer (a disconnect message).
    std::string text = what + ": " + printable(ssh_get_error(_session));
    if (!sessionUsable(_session)) return SshError(SshErrorKind::Socket, text);
    return SshError(SshErrorKind::Protocol, text);
}

}  // namespace Kestrix::Tester
