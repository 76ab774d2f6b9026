#include "tester/ssh/SshShell.h"

#include <chrono>
#include <climits>

#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

using Clock = std::chrono::steady_clock;

// Wide enough that no command line wraps when it is echoed.
constexpr int kColumns = 1024;
constexpr int kRows = 24;
// A prompt that is not at the start of a line may be a "$" inside output: wait this long for more.
constexpr int kMidLineGraceMs = 20;
constexpr size_t kReadChunk = 16384;

int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, INT_MAX)) : 0;
}

}  // namespace

SshShell::SshShell(SshClient& client, const std::string& promptPattern, int timeoutMs)
    : _prompt(promptPattern), _timeoutMs(timeoutMs > 0 ? timeoutMs : SshClient::kDefaultTimeoutMs) {
    _channel = std::make_unique<Channel>(client);
    _channel->requestPty("dumb", kColumns, kRows);
    _channel->requestShell();
    bool found = false;
    readUntilPrompt(_timeoutMs, found);
    if (!found)
        throw SshError(SshErrorKind::Timeout, "the tester's shell sent no prompt");
    _text.clear();
    // libssh cannot send terminal modes, so the terminal starts with echo on.
    SendCommand("stty -echo");
    if (!ReadAll())
        throw SshError(SshErrorKind::Timeout, "the tester's shell did not answer");
}

SshShell::~SshShell() = default;

void SshShell::setTimeout(int ms) { _timeoutMs = ms > 0 ? ms : SshClient::kDefaultTimeoutMs; }

void SshShell::SendCommand(const std::string& text) {
    if (!isTerminalSafe(text))
        throw SshError(SshErrorKind::Usage, "command holds a control character");
    _lastCommand = text;
    _channel->writeAll(text + "\n");
}

void SshShell::readUntilPrompt(int timeoutMs, bool& found) {
    found = false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[kReadChunk];
    for (;;) {
        auto at = _prompt.findAtEnd(_text);
        if (at) {
            bool lineStart = *at == 0 || _text[*at - 1] == '\n';
            if (lineStart) {
                found = true;
                return;
            }
            size_t before = _text.size();
            try {
                size_t n = _channel->readSome(buffer, sizeof buffer, kMidLineGraceMs);
                if (n == 0)
                    throw SshError(SshErrorKind::Socket, "the tester's shell ended");
                _stripper.feed(buffer, n, _text);
            } catch (const SshError& e) {
                if (e.kind() != SshErrorKind::Timeout)
                    throw;
            }
            if (_text.size() == before) {
                found = true;
                return;
            }
            continue;
        }
        int left = msLeft(deadline);
        if (left == 0)
            return;
        size_t n = 0;
        try {
            n = _channel->readSome(buffer, sizeof buffer, left);
        } catch (const SshError& e) {
            if (e.kind() == SshErrorKind::Timeout)
                return;
            throw;
        }
        if (n == 0)
            throw SshError(SshErrorKind::Socket, "the tester's shell ended");
        _stripper.feed(buffer, n, _text);
    }
}

boost::optional<std::string> SshShell::ReadAll() {
    bool found = false;
    readUntilPrompt(_timeoutMs, found);
    if (!found) {
        _outOfStep = true;
        return boost::none;
    }
    auto at = _prompt.findAtEnd(_text);
    std::string reply = removeEcho(_text.substr(0, at ? *at : _text.size()), _lastCommand);
    _text.clear();
    return reply;
}

boost::optional<std::string> SshShell::ReadLine() {
    auto all = ReadAll();
    if (!all)
        return boost::none;
    return firstLine(*all);
}

void SshShell::Drain() {
    char buffer[kReadChunk];
    while (_channel->readPending(buffer, sizeof buffer) > 0) {
    }
    _text.clear();
    _stripper.reset();
    if (_outOfStep)
        resync();
}

void SshShell::resync() {
    const std::string marker = "KXSYNC" + std::to_string(++_syncCount);
    SendCommand("echo " + marker);
    const auto deadline = Clock::now() + std::chrono::milliseconds(_timeoutMs);
    for (;;) {
        bool found = false;
        readUntilPrompt(msLeft(deadline), found);
        if (!found)
            throw SshError(SshErrorKind::Socket, "the tester's shell is out of step");
        auto at = _prompt.findAtEnd(_text);
        std::string reply = _text.substr(0, at ? *at : _text.size());
        _text.clear();
        const std::string line = marker + "\n";
        if (reply.size() >= line.size() && reply.compare(reply.size() - line.size(), line.size(), line) == 0 &&
            (reply.size() == line.size() || reply[reply.size() - line.size() - 1] == '\n')) {
            _outOfStep = false;
            return;
        }
    }
}

bool SshShell::IsAlive() { return _channel->alive(); }

}  // namespace Kestrix::Tester
