#include "tester/ssh/ScpClient.h"

#include <algorithm>

#include "tester/host/Printable.h"
#include "tester/ssh/Channel.h"
#include "tester/ssh/ScpWire.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

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
        throw SshError(SshErrorKind::Usage, "remote path cannot be sent: \"" + printable(remotePath) + "\"");
    if (isOptionLike(remotePath))
        throw SshError(SshErrorKind::Usage, "remote path begins with \"-\": \"" + remotePath + "\"");
    return std::string("scp ") + mode + " " + *quoted;
}

// The tester's own words may hold escape sequences meant for a terminal.
SshError remoteError(const std::string& message) {
    const std::string text = printable(message);
    return SshError(SshErrorKind::Remote, text.empty() ? "the tester refused the transfer" : text);
}

// 0 is an acknowledgement; 1 and 2 carry an error message line.
void readAck(Channel& ch, const ScpNextWait& wait) {
    uint8_t b = readScpByte(ch, wait);
    if (b == 0) return;
    if (b == 1 || b == 2) throw remoteError(readScpLine(ch, wait));
    throw SshError(SshErrorKind::Protocol, "unexpected SCP reply");
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void ScpClient::bind(SshClient& c) {
    if (!c.isConnected()) throw SshError(SshErrorKind::Socket, "SCP bound to a closed connection");
    _client = &c;
}

SshClient& ScpClient::client() {
    if (!_client) throw SshError(SshErrorKind::Usage, "SCP channel not bound");
    return *_client;
}

void ScpClient::putFile(const uint8_t* data, size_t size, const std::string& remotePath) {
    std::string name = baseName(remotePath);
    if (name.empty()) throw SshError(SshErrorKind::Usage, "remote path names no file: \"" + remotePath + "\"");
    std::string command = commandFor("-t", remotePath);
    SshClient& c = client();
    SessionTimeout st(c, _timeoutMs);
    ScpDeadline waits(_timeoutMs);
    const ScpNextWait wait = [&waits] { return waits.next(); };
    Channel ch(c);
    ch.exec(command);
    readAck(ch, wait);
    ch.writeAll("C0644 " + std::to_string(size) + " " + name + "\n");
    readAck(ch, wait);
    waits.allowFor(size);
    size_t done = 0;
    while (done < size) {
        waits.next();
        size_t n = std::min(kWriteChunk, size - done);
        ch.writeAll(data + done, n);
        done += n;
        if (_progress) _progress(done, false);
    }
    ch.writeAll("", 1);
    readAck(ch, wait);
    ch.sendEof();
    if (_progress) _progress(size, true);
}

std::vector<uint8_t> ScpClient::getFile(const std::string& remotePath) {
    std::string command = commandFor("-f", remotePath);
    SshClient& c = client();
    SessionTimeout st(c, _timeoutMs);
    ScpDeadline waits(_timeoutMs);
    const ScpNextWait wait = [&waits] { return waits.next(); };
    Channel ch(c);
    ch.exec(command);
    ch.writeAll("", 1);
    uint64_t size = 0;
    bool timesSeen = false;
    for (;;) {
        uint8_t kind = readScpByte(ch, wait);
        if (kind == 1 || kind == 2) throw remoteError(readScpLine(ch, wait));
        std::string line(1, static_cast<char>(kind));
        line += readScpLine(ch, wait);
        if (kind == 'T') {
            // Modification times, acknowledged and ignored: one may precede the file line.
            if (timesSeen) throw SshError(SshErrorKind::Protocol, "SCP sent times again instead of the file");
            timesSeen = true;
            ch.writeAll("", 1);
            continue;
        }
        if (kind == 'D') throw SshError(SshErrorKind::Remote, "scp: " + remotePath + " is a folder");
        size = scpFileSize(line);
        if (size > _maxFileSize)
            throw SshError(SshErrorKind::Remote,
                           "scp: " + remotePath + " is larger than " + std::to_string(_maxFileSize) + " bytes");
        break;
    }
    ch.writeAll("", 1);
    waits.allowFor(size);
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::min(size, kScpMaxReserve)));
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kScpReadChunk, std::max<uint64_t>(size, 1))));
    while (out.size() < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - out.size()));
        size_t n = ch.readSome(buffer.data(), want, waits.next());
        if (n == 0) throw SshError(SshErrorKind::Remote, "the tester ended the transfer early");
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
        if (_progress) _progress(out.size(), false);
    }
    readAck(ch, wait);
    ch.writeAll("", 1);
    ch.sendEof();
    if (_progress) _progress(size, true);
    return out;
}

}  // namespace Kestrix::Tester
