#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "SimChannel.h"
#include "SimScpFiles.h"

namespace Kestrix::Sim {
namespace {

constexpr size_t kMaxHeader = 4096;

// "C0644 123 name": the size and name, or false when the line is not one.
bool parseFileLine(const std::string& line, int64_t& size, std::string& name) {
    if (line.size() < 9 || line[0] != 'C' || line[5] != ' ') {
        return false;
    }
    for (size_t i = 1; i < 5; ++i) {
        if (line[i] < '0' || line[i] > '7') return false;
    }
    size_t pos = 6;
    uint64_t v = 0;
    const size_t digitsStart = pos;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
        const auto d = static_cast<uint64_t>(line[pos] - '0');
        if (v > (static_cast<uint64_t>(INT64_MAX) - d) / 10) return false;
        v = v * 10 + d;
        ++pos;
    }
    if (pos == digitsStart || pos >= line.size() || line[pos] != ' ') {
        return false;
    }
    name = line.substr(pos + 1);
    size = static_cast<int64_t>(v);
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The receiving end of "scp -t PATH": the client uploads.
class ScpSink : public ChannelHandler {
public:
    explicit ScpSink(std::string target) : _target(std::move(target)) {}

    void step(SimChannel& ch) override {
        if (_state == State::start) {
            ch.write(std::string(1, '\0'));
            _state = State::header;
        }
        bool progress = true;
        while (progress && _state != State::done) {
            progress = false;
            switch (_state) {
                case State::header: progress = header(ch); break;
                case State::data: progress = data(ch); break;
                case State::end: progress = end(ch); break;
                default: break;
            }
        }
    }

private:
    enum class State { start, header, data, end, done };

    bool header(SimChannel& ch) {
        const size_t nl = ch.input.find('\n');
        if (nl == std::string::npos) {
            if (ch.input.size() > kMaxHeader) {
                fatal(ch, "protocol error: header too long");
            } else if (ch.peerEof) {
                if (!ch.input.empty()) _failed = true;
                ch.finish(_failed ? 1 : 0);
                _state = State::done;
            }
            return false;
        }
        const std::string line = ch.input.substr(0, nl);
        ch.input.erase(0, nl + 1);
        switch (line.empty() ? '\0' : line[0]) {
            case 'C': openFile(ch, line); return true;
            case 'T':
            case 'E': ch.write(std::string(1, '\0')); return true;
            case 'D': fatal(ch, "recursive copy is not supported"); return false;
            case '\x01':
            case '\x02':
                _failed = true;
                ch.finish(1);
                _state = State::done;
                return false;
            default: fatal(ch, "protocol error: unexpected header"); return false;
        }
    }

    void openFile(SimChannel& ch, const std::string& line) {
        int64_t size = 0;
        std::string name;
        if (!parseFileLine(line, size, name)) {
            fatal(ch, "protocol error: bad file line");
            return;
        }
        std::string testerPath = _target;
        if (const auto host = ch.state.vfs.map(_target); host && std::filesystem::is_directory(*host)) {
            testerPath = (_target.empty() || _target.back() != '/' ? _target + "/" : _target) + name;
        }
        const auto host = ch.state.vfs.map(testerPath);
        if (!host) {
            warn(ch, testerPath + ": Permission denied");
            return;
        }
        _file.reset(std::fopen(host->c_str(), "wb"));
        if (!_file) {
            warn(ch, testerPath + ": " + std::strerror(errno));
            return;
        }
        _filePath = testerPath;
        _remaining = size;
        _state = State::data;
        ch.write(std::string(1, '\0'));
    }

    bool data(SimChannel& ch) {
        if (_remaining > 0 && !ch.input.empty()) {
            const int64_t want = std::min<int64_t>(_remaining, static_cast<int64_t>(ch.input.size()));
            bool drop = false;
            const int64_t pass = ch.state.passScpBytes(want, drop);
            const auto n = static_cast<size_t>(pass);
            if (n > 0 && std::fwrite(ch.input.data(), 1, n, _file.get()) != n) {
                _writeFailed = true;
            }
            ch.input.erase(0, n);
            _remaining -= pass;
            if (drop) {
                _file.reset();
                ch.dropAfterOutput();
                _state = State::done;
                return false;
            }
        }
        if (_remaining == 0) {
            _state = State::end;
            return true;
        }
        if (ch.peerEof && ch.input.empty()) {
            _file.reset();  // the client gave up half way; what arrived stays, as with scp
            ch.finish(1);
            _state = State::done;
        }
        return false;
    }

    bool end(SimChannel& ch) {
        if (ch.input.empty()) {
            if (ch.peerEof) {
                _file.reset();
                ch.finish(1);
                _state = State::done;
            }
            return false;
        }
        const char status = ch.input[0];
        ch.input.erase(0, 1);
        const bool closeFailed = std::fclose(_file.release()) != 0;
        if (status != '\0') {
            _failed = true;
            ch.finish(1);
            _state = State::done;
            return false;
        }
        _state = State::header;
        if (_writeFailed || closeFailed) {
            _writeFailed = false;
            warn(ch, _filePath + ": write error");
        } else {
            ch.write(std::string(1, '\0'));
        }
        return true;
    }

    // A failed file: the client is told and may go on with the next one.
    void warn(SimChannel& ch, const std::string& message) {
        _failed = true;
        ch.write("\x01scp: " + message + "\n");
        _state = State::header;
    }

    void fatal(SimChannel& ch, const std::string& message) {
        _failed = true;
        ch.write("\x02scp: " + message + "\n");
        ch.finish(1);
        _state = State::done;
        _file.reset();
    }

    std::string _target;
    State _state = State::start;
    FilePtr _file;
    std::string _filePath;
    int64_t _remaining = 0;
    bool _writeFailed = false;
    bool _failed = false;
};

// The sending end of "scp -f PATH": the client downloads, one file, streamed in chunks.
class ScpSource : public ChannelHandler {
public:
    explicit ScpSource(std::string path) : _path(std::move(path)) {}

    void step(SimChannel& ch) override {
        switch (_state) {
            case State::waitStart:
                if (takeByte(ch)) {
                    start(ch);
                }
                break;
            case State::waitTimeAck:
                if (takeByte(ch)) {
                    if (_byte != '\0') {
                        ch.finish(1);
                        _state = State::done;
                    } else if (ch.state.faults().repeatTimeLines) {
                        ch.write(kTimeLine);
                    } else {
                        ch.write(_header);
                        _state = State::waitHeaderAck;
                    }
                }
                break;
            case State::waitHeaderAck:
                if (takeByte(ch)) {
                    if (_byte == '\0') {
                        _state = State::sending;
                        send(ch);
                    } else {
                        ch.finish(1);
                        _state = State::done;
                    }
                }
                break;
            case State::sending: send(ch); break;
            case State::waitFinalAck:
                if (takeByte(ch)) {
                    ch.finish(_byte == '\0' ? 0 : 1);
                    _state = State::done;
                }
                break;
            case State::done: break;
        }
    }

private:
    enum class State { waitStart, waitTimeAck, waitHeaderAck, sending, waitFinalAck, done };
    static constexpr const char* kTimeLine = "T1735689600 0 1735689600 0\n";

    bool takeByte(SimChannel& ch) {
        if (ch.input.empty()) {
            if (ch.peerEof) {
                ch.finish(1);
                _state = State::done;
            }
            return false;
        }
        _byte = ch.input[0];
        ch.input.erase(0, 1);
        return true;
    }

    void start(SimChannel& ch) {
        if (_byte != '\0') {
            ch.finish(1);
            _state = State::done;
            return;
        }
        const auto host = ch.state.vfs.map(_path);
        struct stat st {};
        if (!host) {
            return refuse(ch, _path + ": Permission denied");
        }
        if (::stat(host->c_str(), &st) != 0) {
            return refuse(ch, _path + ": " + std::strerror(errno));
        }
        if (!S_ISREG(st.st_mode)) {
            return refuse(ch, _path + ": not a regular file");
        }
        const std::string name = scpBaseName(_path);
        if (name.find('\n') != std::string::npos) {
            return refuse(ch, _path + ": name contains a line feed");
        }
        _file.reset(std::fopen(host->c_str(), "rb"));
        if (!_file) {
            return refuse(ch, _path + ": " + std::strerror(errno));
        }
        _size = static_cast<int64_t>(st.st_size);
        const auto plan = ch.state.planDownload(_path);
        if (plan.truncate) _size /= 2;
        if (plan.dropHalfWay) _dropAt = _size / 2;
        _corrupt = plan.corrupt;
        char head[64];
        std::snprintf(head, sizeof head, "C%04o %lld ", static_cast<unsigned>(st.st_mode & 07777),
                      static_cast<long long>(_size));
        _header = head + name + "\n";
        if (ch.state.faults().repeatTimeLines) {
            ch.write(kTimeLine);
            _state = State::waitTimeAck;
            return;
        }
        ch.write(_header);
        _state = State::waitHeaderAck;
    }

    void send(SimChannel& ch) {
        const int dripMs = ch.state.faults().scpDripMs;
        // A drip keeps two bytes queued, each released dripMs after the one before.
        const size_t maxQueued = dripMs > 0 ? 2 : kScpMaxQueued;
        const int64_t chunkSize = dripMs > 0 ? 1 : static_cast<int64_t>(kScpPiece);
        if (dripMs > 0) {
            _nextAt = std::max(_nextAt, Clock::now());
        }
        while (_sent < _size && ch.queuedBytes() < maxQueued) {
            if (_sent == _dropAt) {
                ch.dropAfterOutput();
                _state = State::done;
                return;
            }
            const int64_t end = _dropAt >= 0 ? _dropAt : _size;
            std::string chunk;
            bool drop = false;
            if (!readScpPiece(_file.get(), ch, _sent, end, chunkSize, _corrupt, chunk, drop)) {
                // The file shrank under us; the client sees the channel end before the data does.
                ch.finish(1);
                _state = State::done;
                return;
            }
            _sent += static_cast<int64_t>(chunk.size());
            if (dripMs > 0) {
                _nextAt += std::chrono::milliseconds(dripMs);
            }
            ch.write(std::move(chunk), false, dripMs > 0 ? _nextAt : Clock::time_point{});
            if (drop) {
                ch.dropAfterOutput();
                _state = State::done;
                return;
            }
        }
        if (_sent >= _size) {
            _file.reset();
            ch.write(std::string(1, '\0'));
            _state = State::waitFinalAck;
        }
    }

    void refuse(SimChannel& ch, const std::string& message) {
        ch.write("\x01scp: " + message + "\n");
        ch.finish(1);
        _state = State::done;
    }

    std::string _path;
    State _state = State::waitStart;
    FilePtr _file;
    int64_t _size = 0;
    int64_t _sent = 0;
    int64_t _dropAt = -1;  // a fault drops the connection once this many bytes are sent
    bool _corrupt = false;
    char _byte = 0;
    std::string _header;
    Clock::time_point _nextAt;
};

}  // namespace

std::unique_ptr<ChannelHandler> makeScpHandler(SimChannel&, bool sink, const std::string& path) {
    if (sink) {
        return std::make_unique<ScpSink>(path);
    }
    return std::make_unique<ScpSource>(path);
}

}  // namespace Kestrix::Sim
