#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace Dump {

// The system log: one call per line with a facility (0-29) and a severity (0 err .. 5 debug2).
// Lines are discarded until the embedding application installs a sink.
using LogSinkFn = std::function<void(int32_t facility, int32_t severity, const std::string& line)>;

void setLogSink(LogSinkFn sink);
void logLine(int32_t facility, int32_t severity, const std::string& line);

// "err", "warning", "info", "debug", "debug1", "debug2", else "???".
const char* severityName(int32_t severity);

}  // namespace Dump
