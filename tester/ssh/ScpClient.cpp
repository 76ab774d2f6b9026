#include "tester/ssh/ScpClient.h"

#include <algorithm>
#include <charconv>
#include <chrono>

#include "tester/host/Printable.h"
#include "tester/ssh/Channel.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

using Clock = std::chrono::steady_clock;

// A control line ("C0644 123 name") longer than this is not SCP.
constexpr size_t kMaxControlLine = 4096;
// Memory reserved up front for a download; the rest grows as bytes actually arrive.
constexpr uint64_t kMaxReserve = 64u << 20;
constexpr size_t kReadChunk = 256 * 1024;
// The slowest transfer rate a whole transfer is allowed (the tester's link moves megabytes a second): a
// peer that sends a byte now and then cannot hold a transfer for ever.
constexpr uint64_t kMinBytesPerSecond = 64 * 1024;

// Sets the session's wait time for one transfer and puts the client's back afterwards.
class SessionTimeout {
public:
    SessionTimeout(SshClient& c, int ms) : _client(c), _saved(c.timeout()) { c.setTimeout(ms); }
    ~SessionTimeout() { _client.setTimeout(_saved); }

private:
    SshClient& _client;
    int _saved;
};

// Each wait is at most the time-out, and all of them end at the deadline of the whole transfer.
class Waits {
public:
    explicit Waits(int timeoutMs) : _timeoutMs(timeoutMs), _deadline(Clock::now() + ms(timeoutMs)) {}
    // From now on the transfer may take the time-out plus `bytes` at the slowest rate allowed.
    void allowFor(uint64_t bytes) {
        bytes = std::min<uint64_t>(bytes, uint64_t(1) << 40);  // keeps the sum far from overflow
        _deadline = Clock::now() + ms(_timeoutMs) + ms(static_cast<int64_t>(bytes * 1000 / kMinBytesPerSecond));
    }
    // The longest next wait; throws once the deadline has passed.
    int next() const {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(_deadline - Clock::now()).count();
        if (left <= 0)
            throw SshError(SshErrorKind::Timeout, "the transfer is too slow: the tester sends too little");
        return static_cast<int>(std::min<long long>(left, _timeoutMs));
    }

private:
    static std::chrono::milliseconds ms(int64_t v) { return std::chrono::milliseconds(v); }
    int _timeoutMs;
    Clock::time_point _deadline;
};

std::string commandFor(const char* mode, const std::string& remotePath) {
    auto quoted = singleQuoted(remotePath);
    if (!quoted || remotePath.empty())
        throw SshError(SshErrorKind::Usage, "remote path cannot be sent: \"" + printable(remotePath) + "\"");
    if (isOptionLike(remotePath))
        throw SshError(SshErrorKind::Usage, "remote path begins with \"-\": \"" + remotePath + "\"");
    return std::string("scp ") + mode + " " + *quoted;
}

uint8_t readByte(Channel& ch, const Waits& waits) {
    uint8_t b = 0;
    if (ch.readSome(&b, 1, waits.next()) == 0)
        throw SshError(SshErrorKind::Remote, "the tester ended the transfer");
    return b;
}

std::string readLine(Channel& ch, const Waits& waits) {
    std::string line;
    for (;;) {
        uint8_t b = readByte(ch, waits);
        if (b == '\n')
            return line;
        if (line.size() >= kMaxControlLine)
            throw SshError(SshErrorKind::Protocol, "SCP control line too long");
        line.push_back(static_cast<char>(b));
    }
}

// The tester's own words may hold escape sequences meant for a terminal.
SshError remoteError(const std::string& message) {
    const std::string text = printable(message);
    return SshError(SshErrorKind::Remote, text.empty() ? "the tester refused the transfer" : text);
}

// 0 is an acknowledgement; 1 and 2 carry an error message line.
void readAck(Channel& ch, const Waits& waits) {
    uint8_t b = readByte(ch, waits);
    if (b == 0)
        return;
    if (b == 1 || b == 2)
        throw remoteError(readLine(ch, waits));
    throw SshError(SshErrorKind::Protocol, "unexpected SCP reply");
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "C0644 1234 name": the size, refusing anything that is not plain decimal digits.
uint64_t parseFileLine(const std::string& line) {
    size_t sp1 = line.find(' ');
    size_t sp2 = sp1 == std::string::npos ? sp1 : line.find(' ', sp1 + 1);
    if (line.size() < 2 || line[0] != 'C' || sp2 == std::string::npos || sp2 == sp1 + 1)
        throw SshError(SshErrorKind::Protocol, "bad SCP file line");
    uint64_t size = 0;
    const char* b = line.data() + sp1 + 1;
    const char* e = line.data() + sp2;
    auto [p, ec] = std::from_chars(b, e, size);
    if (ec != std::errc() || p != e)
        throw SshError(SshErrorKind::Protocol, "bad SCP file size");
    return size;
}

}  // namespace

void ScpClient::bind(SshClient& c) {
    if (!c.isConnected())
        throw SshError(SshErrorKind::Socket, "SCP bound to a closed connection");
    _client = &c;
}

SshClient& ScpClient::client() {
    if (!_client)
        throw SshError(SshErrorKind::Usage, "SCP channel not bound");
    return *_client;
}

void ScpClient::putFile(const uint8_t* data, size_t size, const std::string& remotePath) {
    std::string name = baseName(remotePath);
    if (name.empty())
        throw SshError(SshErrorKind::Usage, "remote path names no file: \"" + remotePath + "\"");
    std::string command = commandFor("-t", remotePath);
    SshClient& c = client();
    SessionTimeout st(c, _timeoutMs);
    Waits waits(_timeoutMs);
    Channel ch(c);
    ch.exec(command);
    readAck(ch, waits);
    ch.writeAll("C0644 " + std::to_string(size) + " " + name + "\n");
    readAck(ch, waits);
    waits.allowFor(size);
    size_t done = 0;
    while (done < size) {
        waits.next();
        size_t n = std::min(kWriteChunk, size - done);
        ch.writeAll(data + done, n);
        done += n;
        if (_progress)
            _progress(done, false);
    }
    ch.writeAll("", 1);
    readAck(ch, waits);
    ch.sendEof();
    if (_progress)
        _progress(size, true);
}

std::vector<uint8_t> ScpClient::getFile(const std::string& remotePath) {
    std::string command = commandFor("-f", remotePath);
    SshClient& c = client();
    SessionTimeout st(c, _timeoutMs);
    Waits waits(_timeoutMs);
    Channel ch(c);
    ch.exec(command);
    ch.writeAll("", 1);
    uint64_t size = 0;
    bool timesSeen = false;
    for (;;) {
        uint8_t kind = readByte(ch, waits);
        if (kind == 1 || kind == 2)
            throw remoteError(readLine(ch, waits));
        std::string line(1, static_cast<char>(kind));
        line += readLine(ch, waits);
        if (kind == 'T') {
            // Modification times, acknowledged and ignored: one may precede the file line.
            if (timesSeen)
                throw SshError(SshErrorKind::Protocol, "SCP sent times again instead of the file");
            timesSeen = true;
            ch.writeAll("", 1);
            continue;
        }
        if (kind == 'D')
            throw SshError(SshErrorKind::Remote, "scp: " + remotePath + " is a folder");
        size = parseFileLine(line);
        if (size > _maxFileSize)
            throw SshError(SshErrorKind::Remote, "scp: " + remotePath + " is larger than " +
                                                     std::to_string(_maxFileSize) + " bytes");
        break;
    }
    ch.writeAll("", 1);
    waits.allowFor(size);
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::min(size, kMaxReserve)));
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kReadChunk, std::max<uint64_t>(size, 1))));
    while (out.size() < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - out.size()));
        size_t n = ch.readSome(buffer.data(), want, waits.next());
        if (n == 0)
            throw SshError(SshErrorKind::Remote, "the tester ended the transfer early");
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
        if (_progress)
            _progress(out.size(), false);
    }
    readAck(ch, waits);
    ch.writeAll("", 1);
    ch.sendEof();
    if (_progress)
        _progress(size, true);
    return out;
}

}  // namespace Kestrix::Tester
