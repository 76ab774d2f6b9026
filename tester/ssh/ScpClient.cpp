#include "tester/ssh/ScpClient.h"

#include <algorithm>
#include <charconv>

#include "tester/ssh/Channel.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

// A control line ("C0644 123 name") longer than this is not SCP.
constexpr size_t kMaxControlLine = 4096;
// Memory reserved up front for a download; the rest grows as bytes actually arrive.
constexpr uint64_t kMaxReserve = 64u << 20;
constexpr size_t kReadChunk = 256 * 1024;

// Sets the session's wait time for one transfer and puts the client's back afterwards.
class SessionTimeout {
public:
    SessionTimeout(SshClient& c, int ms) : _client(c), _saved(c.timeout()) { c.setTimeout(ms); }
    ~SessionTimeout() { _client.setTimeout(_saved); }

private:
    SshClient& _client;
    int _saved;
};

std::string commandFor(const char* mode, const std::string& remotePath) {
    auto quoted = singleQuoted(remotePath);
    if (!quoted || remotePath.empty())
        throw SshError(SshErrorKind::Usage, "remote path cannot be sent: \"" + remotePath + "\"");
    return std::string("scp ") + mode + " " + *quoted;
}

uint8_t readByte(Channel& ch, int timeoutMs) {
    uint8_t b = 0;
    if (ch.readSome(&b, 1, timeoutMs) == 0)
        throw SshError(SshErrorKind::Remote, "the tester ended the transfer");
    return b;
}

std::string readLine(Channel& ch, int timeoutMs) {
    std::string line;
    for (;;) {
        uint8_t b = readByte(ch, timeoutMs);
        if (b == '\n')
            return line;
        if (line.size() >= kMaxControlLine)
            throw SshError(SshErrorKind::Protocol, "SCP control line too long");
        line.push_back(static_cast<char>(b));
    }
}

SshError remoteError(const std::string& message) {
    return SshError(SshErrorKind::Remote, message.empty() ? "the tester refused the transfer" : message);
}

// 0 is an acknowledgement; 1 and 2 carry an error message line.
void readAck(Channel& ch, int timeoutMs) {
    uint8_t b = readByte(ch, timeoutMs);
    if (b == 0)
        return;
    if (b == 1 || b == 2)
        throw remoteError(readLine(ch, timeoutMs));
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

void ScpClient::Bind(SshClient& c) {
    if (!c.IsConnected())
        throw SshError(SshErrorKind::Socket, "SCP bound to a closed connection");
    _client = &c;
}

SshClient& ScpClient::client() {
    if (!_client)
        throw SshError(SshErrorKind::Usage, "SCP channel not bound");
    return *_client;
}

void ScpClient::PutFile(const uint8_t* data, size_t size, const std::string& remotePath) {
    std::string name = baseName(remotePath);
    if (name.empty())
        throw SshError(SshErrorKind::Usage, "remote path names no file: \"" + remotePath + "\"");
    std::string command = commandFor("-t", remotePath);
    SshClient& c = client();
    SessionTimeout st(c, _timeoutMs);
    Channel ch(c);
    ch.exec(command);
    readAck(ch, _timeoutMs);
    ch.writeAll("C0644 " + std::to_string(size) + " " + name + "\n");
    readAck(ch, _timeoutMs);
    size_t done = 0;
    while (done < size) {
        size_t n = std::min(kWriteChunk, size - done);
        ch.writeAll(data + done, n);
        done += n;
        if (_progress)
            _progress(done, false);
    }
    ch.writeAll("", 1);
    readAck(ch, _timeoutMs);
    ch.sendEof();
    if (_progress)
        _progress(size, true);
}

std::vector<uint8_t> ScpClient::GetFile(const std::string& remotePath) {
    std::string command = commandFor("-f", remotePath);
    SshClient& c = client();
    SessionTimeout st(c, _timeoutMs);
    Channel ch(c);
    ch.exec(command);
    ch.writeAll("", 1);
    uint64_t size = 0;
    for (;;) {
        uint8_t kind = readByte(ch, _timeoutMs);
        if (kind == 1 || kind == 2)
            throw remoteError(readLine(ch, _timeoutMs));
        std::string line = std::string(1, static_cast<char>(kind)) + readLine(ch, _timeoutMs);
        if (kind == 'T') {  // modification times: acknowledged and ignored
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
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::min(size, kMaxReserve)));
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kReadChunk, std::max<uint64_t>(size, 1))));
    while (out.size() < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - out.size()));
        size_t n = ch.readSome(buffer.data(), want, _timeoutMs);
        if (n == 0)
            throw SshError(SshErrorKind::Remote, "the tester ended the transfer early");
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
        if (_progress)
            _progress(out.size(), false);
    }
    readAck(ch, _timeoutMs);
    ch.writeAll("", 1);
    ch.sendEof();
    if (_progress)
        _progress(size, true);
    return out;
}

}  // namespace Kestrix::Tester
