#include "SimChannel.h"

#include <algorithm>

namespace Kestrix::Sim {

namespace {
constexpr size_t kMaxWrite = 256 * 1024;
}

SimChannel::SimChannel(SimState& s, ssh_channel c) : state(s), channel(c) {}

SimChannel::~SimChannel() {
    if (channel != nullptr) {
        ssh_remove_channel_callbacks(channel, &callbacks);
        ssh_channel_free(channel);
    }
}

void SimChannel::write(std::string bytes, bool toStderr, Clock::time_point at) {
    if (bytes.empty() || _finishing) {
        return;
    }
    _queued += bytes.size();
    _out.push_back(Piece{std::move(bytes), 0, toStderr, false, at});
}

void SimChannel::dropAfterOutput() { _out.push_back(Piece{{}, 0, false, true, {}}); }

void SimChannel::finish(int exitStatus) {
    if (!_finishing) {
        _finishing = true;
        _exitStatus = exitStatus;
    }
}

bool SimChannel::pump(Clock::time_point now) {
    while (!_out.empty() && !broken && !peerClosed) {
        Piece& p = _out.front();
        if (p.at > now) {
            return false;
        }
        if (p.drop) {
            return true;
        }
        const uint32_t window = ssh_channel_window_size(channel);
        if (window == 0) {
            return false;
        }
        const size_t n = std::min({p.bytes.size() - p.offset, static_cast<size_t>(window), kMaxWrite});
        const char* data = p.bytes.data() + p.offset;
        const int rc = p.toStderr ? ssh_channel_write_stderr(channel, data, static_cast<uint32_t>(n))
                                  : ssh_channel_write(channel, data, static_cast<uint32_t>(n));
        if (rc == SSH_ERROR || rc < 0) {
            broken = true;
            return false;
        }
        p.offset += static_cast<size_t>(rc);
        _queued -= static_cast<size_t>(rc);
        if (p.offset >= p.bytes.size()) {
            _out.pop_front();
        }
    }
    if (_out.empty() && _finishing && !_closeSent && !peerClosed && !broken) {
        ssh_channel_request_send_exit_status(channel, _exitStatus);
        ssh_channel_send_eof(channel);
        close();
    }
    return false;
}

Clock::time_point SimChannel::nextDue() const {
    if (_out.empty() || _out.front().at == Clock::time_point{}) {
        return Clock::time_point::max();
    }
    return _out.front().at;
}

void SimChannel::close() {
    if (!_closeSent) {
        _closeSent = true;
        ssh_channel_close(channel);
    }
}

}  // namespace Kestrix::Sim
