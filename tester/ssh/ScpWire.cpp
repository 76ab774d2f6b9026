#include "tester/ssh/ScpWire.h"

#include <algorithm>
#include <charconv>

#include "tester/ssh/Channel.h"
#include "tester/ssh/SshError.h"

namespace Kestrix::Tester {

ScpDeadline::ScpDeadline(int timeoutMs)
    : _timeoutMs(timeoutMs), _deadline(Clock::now() + std::chrono::milliseconds(timeoutMs)) {}

void ScpDeadline::allowFor(uint64_t bytes) {
    bytes = std::min<uint64_t>(bytes, uint64_t(1) << 40);  // keeps the sum far from overflow
    _deadline = Clock::now() + std::chrono::milliseconds(_timeoutMs) +
                std::chrono::milliseconds(static_cast<int64_t>(bytes * 1000 / kScpMinBytesPerSecond));
}

int ScpDeadline::next() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(_deadline - Clock::now()).count();
    if (left <= 0) throw SshError(SshErrorKind::Timeout, "the transfer is too slow: the tester sends too little");
    return static_cast<int>(std::min<long long>(left, _timeoutMs));
}

uint8_t readScpByte(Channel& ch, const ScpNextWait& wait) {
    uint8_t b = 0;
    if (ch.readSome(&b, 1, wait()) == 0) throw SshError(SshErrorKind::Remote, "the tester ended the transfer");
    return b;
}

std::string readScpLine(Channel& ch, const ScpNextWait& wait) {
    std::string line;
    for (;;) {
        const uint8_t b = readScpByte(ch, wait);
        if (b == '\n') return line;
        if (line.size() >= kScpMaxControlLine) throw SshError(SshErrorKind::Protocol, "SCP control line too long");
        line.push_back(static_cast<char>(b));
    }
}

uint64_t scpFileSize(const std::string& line) {
    const size_t sp1 = line.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? sp1 : line.find(' ', sp1 + 1);
    if (line.size() < 2 || line[0] != 'C' || sp2 == std::string::npos || sp2 == sp1 + 1)
        throw SshError(SshErrorKind::Protocol, "bad SCP file line");
    uint64_t size = 0;
    const char* b = line.data() + sp1 + 1;
    const char* e = line.data() + sp2;
    auto [p, ec] = std::from_chars(b, e, size);
    if (ec != std::errc() || p != e) throw SshError(SshErrorKind::Protocol, "bad SCP file size");
    return size;
}

}  // namespace Kestrix::Tester
