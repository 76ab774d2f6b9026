#include "SimScpTree.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace Kestrix::Sim {
namespace {

namespace fs = std::filesystem;

constexpr size_t kChunk = 256 * 1024;
constexpr size_t kMaxQueued = 1024 * 1024;

struct FileCloser {
    void operator()(FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// One line of the protocol: enter a folder, send a file, or leave the folder.
struct Step {
    enum class Kind { enter, file, leave } kind;
    std::string name;
    fs::path host;
    int64_t size = 0;
};

bool sendableName(const std::string& name) { return !name.empty() && name.find('\n') == std::string::npos; }

// Depth first, names in byte order; links are not followed.
void plan(const fs::path& host, const std::string& name, std::vector<Step>& out) {
    std::error_code ec;
    const auto st = fs::symlink_status(host, ec);
    if (ec || !sendableName(name)) return;
    if (fs::is_regular_file(st)) {
        const auto size = fs::file_size(host, ec);
        if (!ec) out.push_back({Step::Kind::file, name, host, static_cast<int64_t>(size)});
        return;
    }
    if (!fs::is_directory(st)) return;
    out.push_back({Step::Kind::enter, name, host, 0});
    std::vector<fs::path> children;
    for (const auto& e : fs::directory_iterator(host, ec)) children.push_back(e.path());
    std::sort(children.begin(), children.end());
    for (const auto& c : children) plan(c, c.filename().string(), out);
    out.push_back({Step::Kind::leave, "", {}, 0});
}

class ScpTreeSource : public ChannelHandler {
public:
    explicit ScpTreeSource(std::string path) : _path(std::move(path)) {}

    void step(SimChannel& ch) override {
        while (_state != State::done) {
            if (_state == State::waitStart || _state == State::waitAck) {
                if (ch.input.empty()) {
                    if (ch.peerEof) finish(ch, 1);
                    return;
                }
                const char byte = ch.input[0];
                ch.input.erase(0, 1);
                if (byte != '\0') return finish(ch, 1);
                if (_state == State::waitStart) {
                    if (!begin(ch)) return;
                } else if (_sending) {
                    _state = State::sending;
                } else {
                    next(ch);
                }
                continue;
            }
            if (_state == State::sending) {
                if (!send(ch)) return;
                continue;
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

    bool begin(SimChannel& ch) {
        const auto host = ch.state.vfs.map(_path);
        std::error_code ec;
        if (!host || !fs::exists(*host, ec)) {
            ch.write("\x01scp: " + _path + ": No such file or directory\n");
            finish(ch, 1);
            return false;
        }
        const size_t slash = _path.find_last_of('/');
        std::string name = slash == std::string::npos ? _path : _path.substr(slash + 1);
        if (name.empty()) name = host->filename().string();
        plan(*host, name, _steps);
        next(ch);
        return true;
    }

    // Announces the next step and waits for the client's acknowledgement.
    void next(SimChannel& ch) {
        _sending = false;
        if (_index >= _steps.size()) return finish(ch, 0);
        const Step& s = _steps[_index++];
        char head[64];
        switch (s.kind) {
        case Step::Kind::enter:
            ch.write("D0755 0 " + s.name + "\n");
            break;
        case Step::Kind::leave:
            ch.write("E\n");
            break;
        case Step::Kind::file:
            _file.reset(std::fopen(s.host.c_str(), "rb"));
            if (!_file) {
                ch.write("\x01scp: " + s.name + ": cannot open\n");
                return next(ch);
            }
            _size = s.size;
            _sent = 0;
            _sending = true;
            std::snprintf(head, sizeof head, "C0644 %lld ", static_cast<long long>(_size));
            ch.write(head + s.name + "\n");
            break;
        }
        _state = State::waitAck;
    }

    // False while the channel's queue is full.
    bool send(SimChannel& ch) {
        while (_sent < _size) {
            if (ch.queuedBytes() >= kMaxQueued) return false;
            std::string chunk(static_cast<size_t>(std::min<int64_t>(_size - _sent, kChunk)), '\0');
            const size_t got = std::fread(chunk.data(), 1, chunk.size(), _file.get());
            if (got == 0) {
                finish(ch, 1);
                return false;
            }
            chunk.resize(got);
            _sent += static_cast<int64_t>(got);
            ch.write(std::move(chunk));
        }
        _file.reset();
        _sending = false;
        ch.write(std::string(1, '\0'));
        _state = State::waitAck;
        return true;
    }

    std::string _path;
    State _state = State::waitStart;
    std::vector<Step> _steps;
    size_t _index = 0;
    bool _sending = false;
    FilePtr _file;
    int64_t _size = 0;
    int64_t _sent = 0;
};

}  // namespace

std::unique_ptr<ChannelHandler> makeScpTreeSource(const std::string& path) {
    return std::make_unique<ScpTreeSource>(path);
}

}  // namespace Kestrix::Sim
