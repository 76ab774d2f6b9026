#pragma once
// SCP's control messages, read the same way by single transfers (ScpClient) and the batch (ScpPipeline).
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

// Throws SshError(Remote) when the tester ends the transfer.
uint8_t readScpByte(Channel& ch, const ScpNextWait& wait);
// One control line without its '\n'; throws SshError(Protocol) for a line longer than kScpMaxControlLine.
std::string readScpLine(Channel& ch, const ScpNextWait& wait);
// "C0644 1234 name": the size, refusing anything that is not plain decimal digits.
uint64_t scpFileSize(const std::string& line);

}  // namespace Kestrix::Tester
