#pragma once
// SCP's control messages, read the same way by single transfers (ScpClient) and the batch (ScpPipeline).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace Kestrix::Tester {

class Channel;

// A control line ("C0644 123 name") longer than this is not SCP.
inline constexpr size_t kScpMaxControlLine = 4096;
// Memory reserved up front for a download; the rest grows as bytes actually arrive.
inline constexpr uint64_t kScpMaxReserve = 64u << 20;
inline constexpr size_t kScpReadChunk = 256 * 1024;

// The longest next wait in milliseconds; may throw SshError once the transfer's time is up.
using ScpNextWait = std::function<int()>;

// The slowest rate a transfer is allowed (the tester's link moves megabytes a second): a peer that sends a
// byte now and then cannot hold a transfer for ever.
inline constexpr uint64_t kScpMinBytesPerSecond = 64 * 1024;

// The time one transfer may take. Each wait is at most the time-out, and all of them end at a deadline: the
// time-out from the start, and once a file's size is announced, the time-out plus that size at the slowest
// rate allowed.
class ScpDeadline {
public:
    explicit ScpDeadline(int timeoutMs);
    // From now on the transfer may take the time-out plus `bytes` at the slowest rate allowed.
    void allowFor(uint64_t bytes);
    // The longest next wait; throws SshError (Timeout) once the deadline has passed.
    int next() const;

private:
    using Clock = std::chrono::steady_clock;
    int _timeoutMs;
    Clock::time_point _deadline;
};

// Throws SshError(Remote) when the tester ends the transfer.
uint8_t readScpByte(Channel& ch, const ScpNextWait& wait);
// One control line without its '\n'; throws SshError(Protocol) for a line longer than kScpMaxControlLine.
std::string readScpLine(Channel& ch, const ScpNextWait& wait);
// "C0644 1234 name": the size, refusing anything that is not plain decimal digits.
uint64_t scpFileSize(const std::string& line);

}  // namespace Kestrix::Tester
