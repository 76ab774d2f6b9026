#include "tester/ssh/SshShell.h"

#include <algorithm>
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

Clock::time_point deadlineIn(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

}  // namespace

SshShell::SshShell(SshClient& client, const std::string& promptPattern, int timeoutMs)
    : _prompt(promptPattern), _timeoutMs(timeoutMs > 0 ? timeoutMs : SshClient::kDefaultTimeoutMs) {
    _channel = std::make_unique<Channel>(client);
    _channel->requestPty("dumb", kColumns, kRows);
    _channel->requestShell();
    bool found = false;
    readUntilPrompt(deadlineIn(_timeoutMs), found);
    if (!found) throw SshError(SshErrorKind::Timeout, "the tester's shell sent no prompt");
    _text.clear();
    // libssh cannot send terminal modes, so the terminal starts with echo on.
    sendCommand("stty -echo");
    if (!readAll()) throw SshError(SshErrorKind::Timeout, "the tester's shell did not answer");
}

SshShell::~SshShell() = default;

void SshShell::setTimeout(int ms) { _timeoutMs = ms > 0 ? ms : SshClient::kDefaultTimeoutMs; }

void SshShell::sendCommand(const std::string& text) {
    if (!isTerminalSafe(text)) throw SshError(SshErrorKind::Usage, "command holds a control character");
    _lastCommand = text;
    try {
        _channel->writeAll(text + "\n");
    } catch (const SshError&) {
        // Part of the line may be on the tester, waiting for the rest.
        _outOfStep = true;
        _partialLine = true;
        throw;
    }
}

void SshShell::readUntilPrompt(Deadline deadline, bool& found) {
    found = false;
    char buffer[kReadChunk];
    for (;;) {
        if (_text.size() > _maxReply) return;
        const int left = msLeft(deadline);
        auto at = _prompt.findAtEnd(_text);
        if (at) {
            bool lineStart = *at == 0 || _text[*at - 1] == '\n';
            if (lineStart) {
                found = true;
                return;
            }
            // Not at a line start: a "$" inside output unless nothing follows within the grace time, and
            // a stream of such chunks still ends at the deadline.
            if (left == 0) return;
            size_t before = _text.size();
            try {
                size_t n = _channel->readSome(buffer, sizeof buffer, std::min(kMidLineGraceMs, left));
                if (n == 0) throw SshError(SshErrorKind::Socket, "the tester's shell ended");
                _stripper.feed(buffer, n, _text);
            } catch (const SshError& e) {
                if (e.kind() != SshErrorKind::Timeout) throw;
            }
            if (_text.size() == before) {
                found = true;
                return;
            }
            continue;
        }
        if (left == 0) return;
        size_t n = 0;
        try {
            n = _channel->readSome(buffer, sizeof buffer, left);
        } catch (const SshError& e) {
            if (e.kind() == SshErrorKind::Timeout) return;
            throw;
        }
        if (n == 0) throw SshError(SshErrorKind::Socket, "the tester's shell ended");
        _stripper.feed(buffer, n, _text);
    }
}

boost::optional<std::string> SshShell::readAll() {
    bool found = false;
    readUntilPrompt(deadlineIn(_timeoutMs), found);
    if (!found) {
        _outOfStep = true;
        _text.clear();
        return boost::none;
    }
    auto at = _prompt.findAtEnd(_text);
    std::string reply = removeEcho(_text.substr(0, at ? *at : _text.size()), _lastCommand);
    _text.clear();
    return reply;
}

boost::optional<std::string> SshShell::readLine() {
    auto all = readAll();
    if (!all) return boost::none;
    return firstLine(*all);
}

void SshShell::drain() {
    char buffer[kReadChunk];
    const auto deadline = deadlineIn(_timeoutMs);
    size_t drained = 0;
    for (size_t n = _channel->readPending(buffer, sizeof buffer); n > 0;
         n = _channel->readPending(buffer, sizeof buffer)) {
        drained += n;
        // Output that does not stop is not stale output: the shell is busy with something.
        if (drained > _maxReply || msLeft(deadline) == 0) {
            _outOfStep = true;
            break;
        }
    }
    _text.clear();
    _stripper.reset();
    if (_outOfStep) resync();
}

void SshShell::resync() {
    const auto deadline = deadlineIn(_timeoutMs);
    if (_partialLine) {
        // ^C drops the partial line (and stops whatever it may have started).
        _channel->writeAll("\x03");
        _partialLine = false;
    }
    const std::string marker = "KXSYNC" + std::to_string(++_syncCount);
    sendCommand("echo " + marker);
    for (;;) {
        bool found = false;
        readUntilPrompt(deadline, found);
        if (!found) {
            _text.clear();
            throw SshError(SshErrorKind::Socket, "the tester's shell is out of step");
        }
        auto at = _prompt.findAtEnd(_text);
        std::string reply = _text.substr(0, at ? *at : _text.size());
        _text.clear();
        // The marker line ends the reply, alone on its line or right after an earlier prompt (the prompt
        // that follows ^C and the marker's output may come in one piece).
        const std::string line = marker + "\n";
        if (reply.size() >= line.size() && reply.compare(reply.size() - line.size(), line.size(), line) == 0) {
            const std::string before = reply.substr(0, reply.size() - line.size());
            if (before.empty() || before.back() == '\n' || _prompt.findAtEnd(before)) {
                _outOfStep = false;
                return;
            }
        }
    }
}

bool SshShell::isAlive() { return _channel->alive(); }

}  // namespace Kestrix::Tester
