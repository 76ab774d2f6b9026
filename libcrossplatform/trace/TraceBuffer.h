#pragma once
// A bounded ring of recent trace entries, filtered per channel and level, dumped to the system log on demand.
//
// Phase 1: channels are created (createChannel). lock() ends it; phase 2: trace() and flush().
// The process-wide buffer is instance(); other instances exist only for tests.
//
// Library areas that trace on their own channels call ensureChannel(name, mask) once (lazily, e.g. from a
// function-local static): it returns the channel of that name if it exists, else creates it while the
// table is still open; either way it locks the table, so tracing works for callers that never touched the
// trace buffer. When the table was locked by someone else without that channel, it returns kNoChannel, and
// trace()/traceObject() on kNoChannel do nothing. An area with several channels registers them together with
// ensureChannels(), which finds or creates all of them under one lock of the table before locking it.
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "trace/ChannelTable.h"
#include "trace/TraceEntry.h"

namespace Kestrix {

class TraceBuffer {
public:
    static constexpr int32_t kNoChannel = -1;
    static constexpr size_t kMaxMessage = 500;
    static constexpr int32_t kDefaultMaxLength = 100;

    TraceBuffer() = default;
    TraceBuffer(const TraceBuffer&) = delete;
    TraceBuffer& operator=(const TraceBuffer&) = delete;

    static TraceBuffer& instance();

    // Appends a channel (error is always enabled) and returns its id. The table must not be locked
    // and the name must not be null (programming errors).
    int32_t createChannel(const char* name, uint32_t mask);
    // The same for callers outside the library, whose misuse must not end the process: kNoChannel when the
    // name is null, the table is locked or full.
    int32_t tryCreateChannel(const char* name, uint32_t mask);
    // See above: find or create, then lock.
    int32_t ensureChannel(const char* name, uint32_t mask);
    // The same for `count` names at once; ids[i] receives each channel's id or kNoChannel.
    void ensureChannels(const char* const* names, size_t count, uint32_t mask, int32_t* ids);
    void lock();
    bool locked() const { return _chanTableLocked.load(); }

#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    void trace(int32_t channel, uint32_t level, const char* format, ...);
    void vtrace(int32_t channel, uint32_t level, const char* format, va_list args);
    // The object is dumped only when the buffer is flushed.
    void traceObject(int32_t channel, uint32_t level, const std::string& text,
                     std::shared_ptr<const Dump::IDumpable> object, bool delimiter = false);

    // Writes every entry to the log (severity err when critical, else warning), oldest first.
    void flush(bool critical, bool clear);
    // Keeps the newest n entries (n below 0 counts as 0).
    void setMaxLength(int32_t n);
    void setConsoleTracing(bool on = true) { _console.store(on); }
    // Facilities outside 0..29 are refused (false) and the current one kept.
    bool setLoggerFacility(int32_t facility);
    void setDumpDetail(uint32_t detail) { _dumpDetail.store(detail); }

    int32_t maxLength() const;
    int32_t loggerFacility() const { return _facility.load(); }
    size_t size() const;
    int32_t delimiterCount() const;
    std::vector<std::shared_ptr<const TraceEntry>> entries() const;
    ChannelTable channelTable() const;

private:
    void append(std::shared_ptr<const TraceEntry> entry);
    void dropOldest();
    bool accepts(int32_t channel, uint32_t level) const;

    mutable std::mutex _tableMutex;
    mutable std::mutex _entriesMutex;
    std::deque<std::shared_ptr<const TraceEntry>> _entries;
    int32_t _maxLength = kDefaultMaxLength;
    std::atomic<int32_t> _facility{0};
    std::atomic<uint32_t> _dumpDetail{2};
    ChannelTable _table;
    std::atomic<bool> _console{false};
    std::atomic<bool> _chanTableLocked{false};
    int32_t _delimiterCount = 0;
};

}  // namespace Kestrix
