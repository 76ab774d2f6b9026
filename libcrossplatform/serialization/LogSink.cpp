#include "serialization/LogSink.h"

#include <mutex>

namespace Dump {

namespace {
std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}
LogSinkFn& sinkFn() {
    static LogSinkFn fn;
    return fn;
}
}  // namespace

void setLogSink(LogSinkFn sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    sinkFn() = std::move(sink);
}

void logLine(int32_t facility, int32_t severity, const std::string& line) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    if (sinkFn()) sinkFn()(facility, severity, line);
}

const char* severityName(int32_t severity) {
    static const char* const names[] = {"err", "warning", "info", "debug", "debug1", "debug2"};
    return severity >= 0 && severity <= 5 ? names[severity] : "???";
}

}  // namespace Dump
