#include "SimSession.h"

#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace Kestrix::Sim {

namespace {
constexpr int kIdlePollMs = 50;
constexpr int kMaxFailedLogins = 6;

SimChannel* channelOf(void* userdata) { return static_cast<SimChannel*>(userdata); }
}  // namespace

SimSession::SimSession(SimState& state, ssh_session session, const std::atomic<bool>& stopping)
    : _state(state), _session(session), _stopping(stopping) {}

SimSession::~SimSession() {
    _channels.clear();
    if (_event != nullptr) {
        ssh_event_remove_session(_event, _session);
        ssh_event_free(_event);
    }
}

int SimSession::onAuthPassword(ssh_session, const char* user, const char* password, void* userdata) {
    auto* self = static_cast<SimSession*>(userdata);
    const SimOptions& o = self->_state.options;
    if (!self->_state.faults().refuseLogin && user != nullptr && password != nullptr && o.user == user &&
        o.password == password) {
        self->_authenticated = true;
        return SSH_AUTH_SUCCESS;
    }
    ++self->_failedLogins;
    return SSH_AUTH_DENIED;
}

ssh_channel SimSession::onChannelOpen(ssh_session session, void* userdata) {
    auto* self = static_cast<SimSession*>(userdata);
    if (!self->_authenticated) {
        return nullptr;
    }
    const auto open = std::count_if(self->_channels.begin(), self->_channels.end(),
                                    [](const auto& c) { return !c->peerClosed && !c->closeSent(); });
    if (open >= self->_state.options.maxSessions) {
        return nullptr;
    }
    ssh_channel channel = ssh_channel_new(session);
    if (channel == nullptr) {
        return nullptr;
    }
    auto ch = std::make_unique<SimChannel>(self->_state, channel);
    ssh_channel_callbacks_struct& cb = ch->callbacks;
    cb.userdata = ch.get();
    cb.channel_data_function = onData;
    cb.channel_eof_function = onEof;
    cb.channel_close_function = onClose;
    cb.channel_pty_request_function = onPty;
    cb.channel_shell_request_function = onShell;
    cb.channel_exec_request_function = onExec;
    cb.channel_pty_window_change_function = onWindowChange;
    cb.channel_env_request_function = onEnv;
    ssh_callbacks_init(&cb);
    ssh_set_channel_callbacks(channel, &cb);
    self->_channels.push_back(std::move(ch));
    return channel;
}

int SimSession::onData(ssh_session, ssh_channel, void* data, uint32_t len, int isStderr, void* userdata) {
    // Everything is taken: the handlers drain it on the next pass, and the shell caps its line length.
    SimChannel* ch = channelOf(userdata);
    if (ch->isShell && ch->state.faults().stallShellInput) {
        ch->stalled = true;
        return 0;  // left with libssh, whose window then stays shut
    }
    if (isStderr == 0) {
        ch->input.append(static_cast<const char*>(data), len);
    }
    return static_cast<int>(len);
}

void SimSession::onEof(ssh_session, ssh_channel, void* userdata) { channelOf(userdata)->peerEof = true; }

void SimSession::onClose(ssh_session, ssh_channel, void* userdata) {
    SimChannel* ch = channelOf(userdata);
    ch->peerClosed = true;
    ch->peerEof = true;
}

int SimSession::onPty(ssh_session, ssh_channel, const char*, int, int, int, int, void* userdata) {
    SimChannel* ch = channelOf(userdata);
    if (ch->handler) {
        return SSH_ERROR;
    }
    ch->pty = true;
    return SSH_OK;
}

int SimSession::onShell(ssh_session, ssh_channel, void* userdata) {
    SimChannel* ch = channelOf(userdata);
    if (ch->handler) {
        return SSH_ERROR;
    }
    ch->handler = makeShellHandler(*ch);
    ch->isShell = true;
    return SSH_OK;
}

int SimSession::onExec(ssh_session, ssh_channel, const char* command, void* userdata) {
    SimChannel* ch = channelOf(userdata);
    if (ch->handler || command == nullptr) {
        return SSH_ERROR;
    }
    ch->handler = makeExecHandler(*ch, command);
    return SSH_OK;
}

int SimSession::onWindowChange(ssh_session, ssh_channel, int, int, int, int, void*) { return SSH_OK; }

int SimSession::onEnv(ssh_session, ssh_channel, const char*, const char*, void*) { return SSH_OK; }

void SimSession::run() {
    _serverCallbacks.userdata = this;
    _serverCallbacks.auth_password_function = onAuthPassword;
    _serverCallbacks.channel_open_request_session_function = onChannelOpen;
    ssh_callbacks_init(&_serverCallbacks);
    ssh_set_server_callbacks(_session, &_serverCallbacks);
    if (ssh_handle_key_exchange(_session) != SSH_OK) {
        return;
    }
    ssh_set_auth_methods(_session, SSH_AUTH_METHOD_PASSWORD);
    _event = ssh_event_new();
    if (_event == nullptr || ssh_event_add_session(_event, _session) != SSH_OK) {
        return;
    }
    while (!_stopping.load()) {
        if (ssh_event_dopoll(_event, pollTimeoutMs()) == SSH_ERROR) {
            break;
        }
        if (!service()) {
            drop();
            break;
        }
        if ((ssh_get_status(_session) & (SSH_CLOSED | SSH_CLOSED_ERROR)) != 0 || !ssh_is_connected(_session) ||
            _failedLogins >= kMaxFailedLogins) {
            break;
        }
    }
    _channels.clear();
    if (!_dropped && ssh_is_connected(_session)) {
        ssh_disconnect(_session);
    }
}

bool SimSession::service() {
    const bool stall = _state.faults().stallShellInput;
    for (auto& ch : _channels) {
        if (ch->stalled && !stall) {
            // libssh offers what it kept only with the next packet, which a client facing a shut window
            // cannot send: take it now.
            ch->stalled = false;
            char buffer[16384];
            int n = 0;
            while ((n = ssh_channel_read_nonblocking(ch->channel, buffer, sizeof buffer, 0)) > 0) {
                ch->input.append(buffer, static_cast<size_t>(n));
            }
        }
    }
    // A handler may make room for more output as soon as some went out, so go round a few times.
    for (int round = 0; round < 4; ++round) {
        const auto now = Clock::now();
        size_t before = 0;
        size_t after = 0;
        for (auto& ch : _channels) {
            before += ch->queuedBytes() + ch->input.size();
            if (ch->handler && !ch->broken && !ch->closeSent()) {
                ch->handler->step(*ch);
            }
            if (ch->pump(now)) {
                return false;
            }
            after += ch->queuedBytes() + ch->input.size();
        }
        if (after == before) {
            break;
        }
    }
    for (auto it = _channels.begin(); it != _channels.end();) {
        SimChannel& ch = **it;
        if (ch.peerClosed || ch.broken) {
            ch.close();
            it = _channels.erase(it);
        } else if (ch.peerEof && !ch.handler) {
            ch.finish(0);
            ++it;
        } else {
            ++it;
        }
    }
    return true;
}

int SimSession::pollTimeoutMs() const {
    auto due = Clock::time_point::max();
    for (const auto& ch : _channels) {
        due = std::min(due, ch->nextDue());
    }
    if (due == Clock::time_point::max()) {
        return kIdlePollMs;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(ms + 1, 0, kIdlePollMs));
}

void SimSession::drop() {
    // A lost link, not a goodbye: the socket goes away without an SSH disconnect message.
    _dropped = true;
    const int fd = ssh_get_fd(_session);
    if (fd >= 0) {
        ::shutdown(fd, SHUT_RDWR);
    }
    _channels.clear();
    ssh_silent_disconnect(_session);
}

}  // namespace Kestrix::Sim
