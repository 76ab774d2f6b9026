#pragma once
// A bounded ring of recent trace entries, filtered per channel and level, dumped to the system log on demand.
//
// Phase 1: channels are created (createChannel). lock() ends it; phase 2: trace() and flush().
// The process-wide buffer is instance(); other instances exist only for tests.
//
// The process-wide buffer also holds the library's own channels (see LibraryChannels.h): lock() adds them
// after the host's channels, just before it locks, so host channel ids are what createChannel() returned
// and the table is only ever locked by the host. Until then the library traces nothing.
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

    // `withLibraryChannels`: lock() registers the library's channels (the process-wide buffer does).
    explicit TraceBuffer(bool withLibraryChannels = false) : _libraryChannels(withLibraryChannels) {}
    TraceBuffer(const TraceBuffer&) = delete;
    TraceBuffer& operator=(const TraceBuffer&) = delete;

    static TraceBuffer& instance();

    // Appends a channel (error is always enabled) and returns its id. The table must not be locked
    // and the name must not be null (programming errors).
    int32_t createChannel(const char* name, uint32_t mask);
    // The same for callers outside the library, whose misuse must not end the process: kNoChannel when the
    // name is null, the table is locked or full.
    int32_t tryCreateChannel(const char* name, uint32_t mask);
    // Ends phase 1; for the process-wide buffer first adds each library channel the table lacks (while
    // there is room). Locking again changes nothing.
    void lock();
    // Id of the first channel of that name, or kNoChannel.
    int32_t findChannel(const char* name) const;
    bool locked() const { return _chanTableLocked.load(); }

#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    void
    trace(int32_t channel, uint32_t level, const char* format, ...);
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
    const bool _libraryChannels;
};

}  // namespace Kestrix
