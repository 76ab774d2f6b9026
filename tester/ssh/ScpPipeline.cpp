#include "tester/ssh/ScpPipeline.h"

#include <algorithm>
#include <memory>

#include "tester/ssh/Channel.h"
#include "tester/ssh/ScpWire.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

// A file announced larger than the bounds allow: refused before any of its bytes are read.
class RefusedFile : public SshError {
public:
    explicit RefusedFile(const std::string& message) : SshError(SshErrorKind::Remote, message) {}
};

// Files acknowledged ahead of the one being read. The tester's scp reads each acknowledgement when it needs
// it: two per file it sends (ready, received), none for a file it cannot send, and one before the first. Sent
// ahead, they let it go on to the next file without waiting for a round trip per file; the channel's window
// still bounds what it sends before it is read.
constexpr size_t kFilesAcknowledgedAhead = 16;

class AcknowledgementsAhead {
public:
    explicit AcknowledgementsAhead(size_t files) : _most(1 + 2 * files) {}
    // Keeps the acknowledgements `kFilesAcknowledgedAhead` files ahead of `done` files, never more than all
    // files of the transfer could use.
    void keepAhead(Channel& ch, size_t done) {
        const size_t want = std::min(_most, 1 + 2 * (done + kFilesAcknowledgedAhead));
        if (want <= _sent) return;
        const std::string zeros(want - _sent, '\0');
        ch.writeAll(zeros.data(), zeros.size());
        _sent = want;
    }

private:
    size_t _most;
    size_t _sent = 0;
};

// One file of the transfer, after its first byte `kind`: its bytes, or an SshError for this file alone
// (Remote), for this file and the transfer it ends (RefusedFile), or for the whole transfer (any other kind).
// Its acknowledgements were sent ahead.
std::vector<uint8_t> receiveOne(Channel& ch, uint8_t kind, const std::string& remotePath, ScpDeadline& deadline,
                                uint64_t maxFileSize, uint64_t& budget) {
    const ScpNextWait wait = [&deadline] { return deadline.next(); };
    if (kind == 1) {
        const std::string message = readScpLine(ch, wait);
        throw SshError(SshErrorKind::Remote, message.empty() ? "the tester refused the transfer" : message);
    }
    if (kind == 2) throw SshError(SshErrorKind::Protocol, readScpLine(ch, wait));
    if (kind != 'C') throw SshError(SshErrorKind::Protocol, "unexpected SCP reply for " + remotePath);
    std::string line(1, 'C');
    line += readScpLine(ch, wait);
    const uint64_t size = scpFileSize(line);
    if (size > maxFileSize)
        throw RefusedFile("scp: " + remotePath + " is larger than " + std::to_string(maxFileSize) + " bytes");
    if (size > budget)
        throw RefusedFile("scp: " + remotePath + " is larger than the " + std::to_string(budget) +
                          " bytes left for this group of files");
    budget -= size;
    deadline.allowFor(size);
    // Read straight into the result; it grows with what arrives, not with what was announced.
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::min(size, kScpMaxReserve)));
    while (out.size() < size) {
        const size_t have = out.size();
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kScpReadChunk, size - have));
        out.resize(have + want);
        const size_t n = ch.readSome(out.data() + have, want, wait());
        out.resize(have + n);
        if (n == 0) throw SshError(SshErrorKind::Protocol, "the tester ended the transfer early");
    }
    const uint8_t ack = readScpByte(ch, wait);
    if (ack == 1) throw SshError(SshErrorKind::Remote, readScpLine(ch, wait));
    if (ack != 0) throw SshError(SshErrorKind::Protocol, "unexpected SCP reply after " + remotePath);
    return out;
}

void fail(PipelinedFile& f, const SshError& e) {
    f.data = boost::none;
    f.error = e.what();
    f.socketError = e.isSocketError();
}

// One transfer of files[next..]; returns the index to go on from, or files.size() when done (or stopped).
size_t transferFrom(SshClient& client, std::vector<PipelinedFile>& files, size_t next, const PipelineLimits& limits,
                    uint64_t& budget, const PipelinedFileDone& done) {
    // The caller hears of each file once its outcome is known; a stop ends everything.
    bool stopped = false;
    const auto told = [&](size_t i) {
        if (done && !done(i)) stopped = true;
        return !stopped;
    };
    try {
        std::string command = "scp -f";
        for (size_t i = next; i < files.size(); ++i) {
            auto quoted = singleQuoted(files[i].remotePath);
            if (!quoted || files[i].remotePath.empty())
                throw SshError(SshErrorKind::Usage, "remote path cannot be sent: \"" + files[i].remotePath + "\"");
            command.push_back(' ');
            command += *quoted;
        }
        Channel ch(client);
        ch.exec(command);
        AcknowledgementsAhead acks(files.size() - next);
        const size_t first = next;
        acks.keepAhead(ch, 0);
        for (; next < files.size(); ++next) {
            ScpDeadline deadline(limits.timeoutMs);
            const uint8_t kind = readScpByte(ch, [&deadline] { return deadline.next(); });
            try {
                files[next].data = receiveOne(ch, kind, files[next].remotePath, deadline, limits.maxFileSize, budget);
            } catch (const RefusedFile& e) {
                // The tester is mid-file: the channel goes, and the rest come on a new one.
                fail(files[next], e);
                return told(next) ? next + 1 : files.size();
            } catch (const SshError& e) {
                if (e.kind() != SshErrorKind::Remote) throw;
                fail(files[next], e);  // this file only; the tester goes on with the next
            }
            if (!told(next)) return files.size();
            acks.keepAhead(ch, next + 1 - first);
        }
        ch.sendEof();
    } catch (const SshError& e) {
        for (; next < files.size() && !stopped; ++next) {
            fail(files[next], e);
            told(next);
        }
    } catch (const std::exception& e) {
        for (; next < files.size() && !stopped; ++next) {
            fail(files[next], SshError(SshErrorKind::Protocol, e.what()));
            told(next);
        }
    }
    return files.size();
}

}  // namespace

void getFilesInOneTransfer(SshClient& client, std::vector<PipelinedFile>& files, const PipelineLimits& limits,
                           const PipelinedFileDone& done) {
    uint64_t budget = limits.groupBudget;
    for (size_t next = 0; next < files.size();) next = transferFrom(client, files, next, limits, budget, done);
}

}  // namespace Kestrix::Tester
