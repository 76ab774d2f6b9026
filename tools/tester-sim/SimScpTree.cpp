#include "SimScpTree.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "SimScpFiles.h"

namespace Kestrix::Sim {
namespace {

namespace fs = std::filesystem;

// One line of the protocol: enter a folder, send a file, leave the folder, or report a path not sent.
struct Step {
    enum class Kind { enter, file, leave, error } kind;
    std::string name;  // or the error message
    fs::path host;
    std::string testerPath;
};

bool sendableName(const std::string& name) { return !name.empty() && name.find('\n') == std::string::npos; }

// Depth first, names in byte order; links are not followed.
void plan(const fs::path& host, const std::string& testerPath, const std::string& name, bool recursive,
          std::vector<Step>& out) {
    std::error_code ec;
    const auto st = fs::symlink_status(host, ec);
    if (ec || !fs::exists(st)) {
        out.push_back({Step::Kind::error, testerPath + ": No such file or directory", {}, {}});
        return;
    }
    if (!sendableName(name)) {
        out.push_back({Step::Kind::error, testerPath + ": name contains a line feed", {}, {}});
        return;
    }
    if (fs::is_regular_file(st)) {
        out.push_back({Step::Kind::file, name, host, testerPath});
        return;
    }
    if (!fs::is_directory(st) || !recursive) {
        out.push_back({Step::Kind::error, testerPath + ": not a regular file", {}, {}});
        return;
    }
    out.push_back({Step::Kind::enter, name, host, testerPath});
    std::vector<fs::path> children;
    for (const auto& e : fs::directory_iterator(host, ec)) children.push_back(e.path());
    std::sort(children.begin(), children.end());
    for (const auto& c : children) {
        const std::string child = c.filename().string();
        plan(c, testerPath + "/" + child, child, recursive, out);
    }
    out.push_back({Step::Kind::leave, "", {}, {}});
}

class ScpTreeSource : public ChannelHandler {
public:
    ScpTreeSource(std::vector<std::string> paths, bool recursive) : _paths(std::move(paths)), _recursive(recursive) {}

    void step(SimChannel& ch) override {
        while (_state != State::done) {
            if (_state == State::sending) {
                if (!send(ch)) return;
                continue;
            }
            if (ch.input.empty()) {
                if (ch.peerEof) finish(ch, 1);
                return;
            }
            const char byte = ch.input[0];
            ch.input.erase(0, 1);
            if (byte != '\0') return finish(ch, 1);
            if (_state == State::waitStart) {
                begin(ch);
            } else if (_sending) {
                _state = State::sending;
            } else {
                next(ch);
            }
        }
    }

private:
    enum class State { waitStart, waitAck, sending, done };

    void finish(SimChannel& ch, int status) {
        ch.finish(status);
        _state = State::done;
        _file.reset();
    }

    void begin(SimChannel& ch) {
        for (const auto& p : _paths) {
            const auto host = ch.state.vfs.map(p);
            if (!host) {
                _steps.push_back({Step::Kind::error, p + ": Permission denied", {}, {}});
                continue;
            }
            plan(*host, p, scpBaseName(p), _recursive, _steps);
        }
        next(ch);
    }

    // Announces the next step and waits for the client's acknowledgement; errors need none.
    void next(SimChannel& ch) {
        _sending = false;
        while (_index < _steps.size() && _steps[_index].kind == Step::Kind::error) {
            ch.write("\x01scp: " + _steps[_index++].name + "\n");
            _failed = true;
        }
        if (_index >= _steps.size()) return finish(ch, _failed ? 1 : 0);
        const Step& s = _steps[_index++];
        switch (s.kind) {
            case Step::Kind::enter: ch.write("D0755 0 " + s.name + "\n"); break;
            case Step::Kind::leave: ch.write("E\n"); break;
            case Step::Kind::error: break;
            case Step::Kind::file: {
                std::error_code ec;
                const auto size = fs::file_size(s.host, ec);
                _file.reset(ec ? nullptr : std::fopen(s.host.c_str(), "rb"));
                if (!_file) {
                    ch.write("\x01scp: " + s.testerPath + ": cannot open\n");
                    _failed = true;
                    return next(ch);
                }
                const auto fault = ch.state.planDownload(s.testerPath);
                _size = static_cast<int64_t>(size);
                if (fault.truncate) _size /= 2;
                _dropAt = fault.dropHalfWay ? _size / 2 : -1;
                _corrupt = fault.corrupt;
                _sent = 0;
                _sending = true;
                char head[64];
                std::snprintf(head, sizeof head, "C0644 %lld ", static_cast<long long>(_size));
                ch.write(head + s.name + "\n");
                break;
            }
        }
        _state = State::waitAck;
    }

    // False while the channel's queue is full or the connection is being dropped.
    bool send(SimChannel& ch) {
        while (_sent < _size) {
            if (ch.queuedBytes() >= kScpMaxQueued) return false;
            if (_sent == _dropAt) {
                ch.dropAfterOutput();
                _state = State::done;
                return false;
            }
            const int64_t end = _dropAt >= 0 ? _dropAt : _size;
            std::string chunk;
            bool drop = false;
            if (!readScpPiece(_file.get(), ch, _sent, end, static_cast<int64_t>(kScpPiece), _corrupt, chunk, drop)) {
                finish(ch, 1);
                return false;
            }
            _sent += static_cast<int64_t>(chunk.size());
            ch.write(std::move(chunk));
            if (drop) {
                ch.dropAfterOutput();
                _state = State::done;
                return false;
            }
        }
        _file.reset();
        _sending = false;
        ch.write(std::string(1, '\0'));
        _state = State::waitAck;
        return true;
    }

    std::vector<std::string> _paths;
    bool _recursive;
    State _state = State::waitStart;
    std::vector<Step> _steps;
    size_t _index = 0;
    bool _sending = false;
    bool _failed = false;
    FilePtr _file;
    int64_t _size = 0;
    int64_t _sent = 0;
    int64_t _dropAt = -1;
    bool _corrupt = false;
};

}  // namespace

std::unique_ptr<ChannelHandler> makeScpTreeSource(std::vector<std::string> paths, bool recursive) {
    return std::make_unique<ScpTreeSource>(std::move(paths), recursive);
}

}  // namespace Kestrix::Sim
