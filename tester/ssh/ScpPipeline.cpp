#include "tester/ssh/ScpPipeline.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "tester/ssh/Channel.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

constexpr size_t kMaxControlLine = 4096;
constexpr uint64_t kMaxReserve = 64u << 20;
constexpr size_t kReadChunk = 256 * 1024;

uint8_t readByte(Channel& ch, int timeoutMs) {
    uint8_t b = 0;
    if (ch.readSome(&b, 1, timeoutMs) == 0)
        throw SshError(SshErrorKind::Remote, "the tester ended the transfer");
    return b;
}

std::string readLine(Channel& ch, int timeoutMs) {
    std::string line;
    for (;;) {
        const uint8_t b = readByte(ch, timeoutMs);
        if (b == '\n')
            return line;
        if (line.size() >= kMaxControlLine)
            throw SshError(SshErrorKind::Protocol, "SCP control line too long");
        line.push_back(static_cast<char>(b));
    }
}

uint64_t fileLineSize(const std::string& line) {
    const size_t sp1 = line.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? sp1 : line.find(' ', sp1 + 1);
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

// One file of the transfer, after its first byte `kind`: its bytes, or an SshError for this file alone
// (Remote) or for the whole transfer (any other kind).
std::vector<uint8_t> receiveOne(Channel& ch, uint8_t kind, const std::string& remotePath, int timeoutMs,
                                uint64_t maxFileSize) {
    if (kind == 1) {
        const std::string message = readLine(ch, timeoutMs);
        throw SshError(SshErrorKind::Remote, message.empty() ? "the tester refused the transfer" : message);
    }
    if (kind == 2)
        throw SshError(SshErrorKind::Protocol, readLine(ch, timeoutMs));
    if (kind != 'C')
        throw SshError(SshErrorKind::Protocol, "unexpected SCP reply for " + remotePath);
    std::string line(1, 'C');
    line += readLine(ch, timeoutMs);
    const uint64_t size = fileLineSize(line);
    if (size > maxFileSize)
        throw SshError(SshErrorKind::Protocol,
                       "scp: " + remotePath + " is larger than " + std::to_string(maxFileSize) + " bytes");
    ch.writeAll("", 1);
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::min(size, kMaxReserve)));
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kReadChunk, std::max<uint64_t>(size, 1))));
    while (out.size() < size) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - out.size()));
        const size_t n = ch.readSome(buffer.data(), want, timeoutMs);
        if (n == 0)
            throw SshError(SshErrorKind::Protocol, "the tester ended the transfer early");
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    }
    const uint8_t ack = readByte(ch, timeoutMs);
    if (ack == 1)
        throw SshError(SshErrorKind::Remote, readLine(ch, timeoutMs));
    if (ack != 0)
        throw SshError(SshErrorKind::Protocol, "unexpected SCP reply after " + remotePath);
    ch.writeAll("", 1);
    return out;
}

void fail(PipelinedFile& f, const SshError& e) {
    f.data = boost::none;
    f.error = e.what();
    f.socketError = e.isSocketError();
}

}  // namespace

void getFilesInOneTransfer(SshClient& client, std::vector<PipelinedFile>& files, int timeoutMs,
                           uint64_t maxFileSize) {
    if (files.empty())
        return;
    size_t next = 0;
    try {
        std::string command = "scp -f";
        for (const auto& f : files) {
            auto quoted = singleQuoted(f.remotePath);
            if (!quoted || f.remotePath.empty())
                throw SshError(SshErrorKind::Usage, "remote path cannot be sent: \"" + f.remotePath + "\"");
            command.push_back(' ');
            command += *quoted;
        }
        Channel ch(client);
        ch.exec(command);
        ch.writeAll("", 1);
        for (; next < files.size(); ++next) {
            const uint8_t kind = readByte(ch, timeoutMs);
            try {
                files[next].data = receiveOne(ch, kind, files[next].remotePath, timeoutMs, maxFileSize);
            } catch (const SshError& e) {
                if (e.kind() != SshErrorKind::Remote)
                    throw;
                fail(files[next], e);  // this file only; the tester goes on with the next
            }
        }
        ch.sendEof();
    } catch (const SshError& e) {
        for (; next < files.size(); ++next)
            fail(files[next], e);
    } catch (const std::exception& e) {
        for (; next < files.size(); ++next)
            fail(files[next], SshError(SshErrorKind::Protocol, e.what()));
    }
}

}  // namespace Kestrix::Tester
