#pragma once
// One SSH session channel of a simulator connection (internal). Callbacks only buffer input and set
// flags; the connection's loop runs the handler and writes output, so nothing is written re-entrantly.
#include <libssh/callbacks.h>
#include <libssh/libssh.h>
#include <libssh/server.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "SimState.h"

namespace Kestrix::Sim {

using Clock = std::chrono::steady_clock;

class SimChannel;

class ChannelHandler {
public:
    virtual ~ChannelHandler() = default;
    // Consumes what it can of ch.input and queues output; called whenever anything may have changed.
    virtual void step(SimChannel& ch) = 0;
};

class SimChannel {
public:
    SimChannel(SimState& state, ssh_channel channel);
    ~SimChannel();
    SimChannel(const SimChannel&) = delete;
    SimChannel& operator=(const SimChannel&) = delete;

    SimState& state;
    ssh_channel channel;
    ssh_channel_callbacks_struct callbacks{};
    std::unique_ptr<ChannelHandler> handler;

    std::string input;
    bool pty = false;
    bool isShell = false;
    bool stalled = false;  // input was left with libssh (the stallShellInput fault)
    bool peerEof = false;
    bool peerClosed = false;
    bool broken = false;

    // Output is released in order, each piece not before its time.
    void write(std::string bytes, bool toStderr = false, Clock::time_point at = Clock::time_point{});
    // After the queued output: the connection goes down.
    void dropAfterOutput();
    // After the queued output: exit status, end of file, close.
    void finish(int exitStatus);
    size_t queuedBytes() const { return _queued; }
    bool finishing() const { return _finishing; }
    bool closeSent() const { return _closeSent; }

    // Writes what the window allows; returns true when the connection must be dropped now.
    bool pump(Clock::time_point now);
    // Earliest time a held piece becomes due, or max() when nothing waits on time.
    Clock::time_point nextDue() const;
    // Sends our close if not done yet.
    void close();

private:
    struct Piece {
        std::string bytes;
        size_t offset = 0;
        bool toStderr = false;
        bool drop = false;
        Clock::time_point at;
    };
    std::deque<Piece> _out;
    size_t _queued = 0;
    bool _finishing = false;
    int _exitStatus = 0;
    bool _closeSent = false;
};

std::unique_ptr<ChannelHandler> makeShellHandler(SimChannel& ch);
// Exec requests: "scp -t/-f PATH" speak SCP, anything else runs as one command line without a terminal.
std::unique_ptr<ChannelHandler> makeExecHandler(SimChannel& ch, const std::string& command);
std::unique_ptr<ChannelHandler> makeScpHandler(SimChannel& ch, bool sink, const std::string& path);

}  // namespace Kestrix::Sim
