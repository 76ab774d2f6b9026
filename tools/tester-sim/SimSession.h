#pragma once
// One client connection (internal): key exchange, password login, then a loop serving its channels.
#include <libssh/callbacks.h>
#include <libssh/libssh.h>
#include <libssh/server.h>

#include <atomic>
#include <list>
#include <memory>

#include "SimChannel.h"

namespace Kestrix::Sim {

class SimSession {
public:
    SimSession(SimState& state, ssh_session session, const std::atomic<bool>& stopping);
    ~SimSession();
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    // Serves until the client leaves, the simulator stops or a fault drops the connection.
    void run();

private:
    static int onAuthPassword(ssh_session, const char* user, const char* password, void* userdata);
    static ssh_channel onChannelOpen(ssh_session, void* userdata);
    static int onData(ssh_session, ssh_channel, void* data, uint32_t len, int isStderr, void* userdata);
    static void onEof(ssh_session, ssh_channel, void* userdata);
    static void onClose(ssh_session, ssh_channel, void* userdata);
    static int onPty(ssh_session, ssh_channel, const char* term, int w, int h, int pw, int ph, void* userdata);
    static int onShell(ssh_session, ssh_channel, void* userdata);
    static int onExec(ssh_session, ssh_channel, const char* command, void* userdata);
    static int onWindowChange(ssh_session, ssh_channel, int w, int h, int pw, int ph, void* userdata);
    static int onEnv(ssh_session, ssh_channel, const char* name, const char* value, void* userdata);

    // Runs handlers and writes output; returns false when the connection must go down.
    bool service();
    int pollTimeoutMs() const;
    void drop();

    SimState& _state;
    ssh_session _session;
    const std::atomic<bool>& _stopping;
    ssh_event _event = nullptr;
    ssh_server_callbacks_struct _serverCallbacks{};
    std::list<std::unique_ptr<SimChannel>> _channels;
    bool _authenticated = false;
    int _failedLogins = 0;
    bool _dropped = false;
};

}  // namespace Kestrix::Sim
