#include "TraceBufferEx.h"

#include "trace/TraceBuffer.h"

using Kestrix::TraceBuffer;
namespace Level = Kestrix::TraceLevel;

extern "C" {

int32_t traceBufferExCreateChan(const char* name, bool info, bool debug, bool warn) {
    uint32_t mask = Level::error;
    if (info) mask |= Level::info;
    if (warn) mask |= Level::warning;
    if (debug) mask |= Level::debug;
    try {
        return TraceBuffer::instance().tryCreateChannel(name, mask);
    } catch (...) {
        return TraceBuffer::kNoChannel;
    }
}

void traceBufferExLockChannelTable(void) { TraceBuffer::instance().lock(); }

bool traceBufferExGetChannelTableLock(void) { return TraceBuffer::instance().locked(); }

void traceBufferExSetConsoleTracing(void) { TraceBuffer::instance().setConsoleTracing(true); }

void traceBufferExSetLoggerFacility(int32_t facility) { TraceBuffer::instance().setLoggerFacility(facility); }

void traceBufferExSetMaxLength(int32_t n) {
    if (n < 0) return;
    TraceBuffer::instance().setMaxLength(n);
}

void traceBufferExFlush(void) {
    // The table is never unlocked again, so this check cannot go stale.
    if (!TraceBuffer::instance().locked()) return;
    try {
        TraceBuffer::instance().flush(false, true);
    } catch (...) {
    }
}

}  // extern "C"
