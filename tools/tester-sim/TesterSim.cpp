#include "TesterSim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/server.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <list>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "SimMaintenance.h"
#include "SimSession.h"
#include "SimSetups.h"
#include "SimState.h"

namespace Kestrix::Sim {

namespace {

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

struct TesterSim::Impl {
    // One accepted connection; the fd stays valid while `open` (stop() shuts it down to end blocking reads).
    struct Slot {
        std::thread thread;
        int fd = -1;
        bool open = true;
        std::atomic<bool> finished{false};
    };

    explicit Impl(TesterSim& owner, SimOptions o) : state(owner, std::move(o)) { registerBuiltins(state); }

    SimState state;
    ssh_bind bind = nullptr;
    int listenFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    bool running = false;
    std::thread acceptThread;
    std::mutex slotsMutex;
    std::list<std::unique_ptr<Slot>> slots;

    void listen();
    void acceptLoop();
    void serve(Slot& slot, ssh_session session);
    void reap(bool all);
    void release();
};

void TesterSim::Impl::listen() {
    listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0) {
        throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    }
    const int one = 1;
    ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(state.options.port);
    if (::bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd, 16) != 0) {
        const std::string why = std::strerror(errno);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(state.options.port) + ": " + why);
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    wakeRead = pipeFds[0];
    wakeWrite = pipeFds[1];

    bind = ssh_bind_new();
    ssh_key key = nullptr;
    if (bind == nullptr || ssh_pki_generate(SSH_KEYTYPE_ED25519, 0, &key) != SSH_OK) {
        throw std::runtime_error("cannot make the simulator's host key");
    }
    // The bind owns the imported key from here on.
    if (ssh_bind_options_set(bind, SSH_BIND_OPTIONS_IMPORT_KEY, key) != SSH_OK) {
        ssh_key_free(key);
        throw std::runtime_error("cannot set the simulator's host key");
    }
    const int noConfig = 0;
    ssh_bind_options_set(bind, SSH_BIND_OPTIONS_PROCESS_CONFIG, &noConfig);
}

void TesterSim::Impl::acceptLoop() {
    while (!stopping.load()) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
        const int n = ::poll(fds, 2, 200);
        reap(false);
        if (n <= 0 || (fds[1].revents & POLLIN) != 0) {
            continue;
        }
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // SCP answers are small writes; without this each waits for the peer's delayed acknowledgement.
        const int noDelay = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        ssh_session session = ssh_new();
        if (session == nullptr || ssh_bind_accept_fd(bind, session, fd) != SSH_OK) {
            if (session != nullptr) {
                ssh_free(session);
            }
            ::close(fd);
            continue;
        }
        std::lock_guard lock(slotsMutex);
        auto slot = std::make_unique<Slot>();
        slot->fd = fd;
        Slot& ref = *slot;
        slots.push_back(std::move(slot));
        ref.thread = std::thread([this, &ref, session] { serve(ref, session); });
    }
}

void TesterSim::Impl::serve(Slot& slot, ssh_session session) {
    ++state.connections;
    {
        SimSession s(state, session, stopping);
        s.run();
    }
    {
        std::lock_guard lock(slotsMutex);
        slot.open = false;
    }
    ssh_free(session);
    --state.connections;
    slot.finished = true;
}

void TesterSim::Impl::reap(bool all) {
    std::list<std::unique_ptr<Slot>> done;
    {
        std::lock_guard lock(slotsMutex);
        for (auto it = slots.begin(); it != slots.end();) {
            if (all || (*it)->finished.load()) {
                if (all && (*it)->open) {
                    ::shutdown((*it)->fd, SHUT_RDWR);
                }
                done.push_back(std::move(*it));
                it = slots.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& s : done) {
        if (s->thread.joinable()) {
            s->thread.join();
        }
    }
}

void TesterSim::Impl::release() {
    if (bind != nullptr) {
        ssh_bind_free(bind);
        bind = nullptr;
    }
    closeFd(listenFd);
    closeFd(wakeRead);
    closeFd(wakeWrite);
}

// The areas' commands register through addCommand, so they need the simulator whole.
TesterSim::TesterSim(SimOptions options) : _impl(std::make_unique<Impl>(*this, std::move(options))) {
    registerMaintenanceCommands(*this);
    registerSetupCommands(*this);
    registerImportCommands(*this);
}

TesterSim::~TesterSim() { stop(); }

void TesterSim::start() {
    if (_impl->running) {
        return;
    }
    ssh_init();
    try {
        _impl->listen();
    } catch (...) {
        _impl->release();
        throw;
    }
    _impl->stopping = false;
    _impl->running = true;
    _impl->acceptThread = std::thread([this] { _impl->acceptLoop(); });
}

void TesterSim::stop() {
    if (!_impl->running) {
        return;
    }
    _impl->stopping = true;
    const char wake = 1;
    [[maybe_unused]] const auto w = ::write(_impl->wakeWrite, &wake, 1);
    if (_impl->acceptThread.joinable()) {
        _impl->acceptThread.join();
    }
    _impl->reap(true);
    _impl->release();
    _impl->running = false;
}

uint16_t TesterSim::port() const { return _impl->port; }
std::string TesterSim::address() const { return "127.0.0.1:" + std::to_string(_impl->port); }
void TesterSim::addCommand(const std::string& name, CommandHandler handler) {
    _impl->state.addCommand(name, std::move(handler));
}
void TesterSim::setReply(const std::string& exactLine, const std::string& text) {
    _impl->state.setReply(exactLine, text);
}
void TesterSim::clearReply(const std::string& exactLine) { _impl->state.clearReply(exactLine); }
void TesterSim::setFaults(const SimFaults& faults) { _impl->state.setFaults(faults); }
SimFaults TesterSim::faults() const { return _impl->state.faults(); }
std::vector<std::string> TesterSim::journal() const { return _impl->state.journal(); }
std::vector<std::string> TesterSim::downloads() const { return _impl->state.downloads(); }
void TesterSim::clearJournal() { _impl->state.clearJournal(); }
int TesterSim::openConnections() const { return _impl->state.connections.load(); }
bool TesterSim::screenLocked() const { return _impl->state.screenLocked.load(); }
void TesterSim::setScreenLocked(bool locked) { _impl->state.screenLocked = locked; }
const SimVfs& TesterSim::vfs() const { return _impl->state.vfs; }
const SimOptions& TesterSim::options() const { return _impl->state.options; }

}  // namespace Kestrix::Sim
