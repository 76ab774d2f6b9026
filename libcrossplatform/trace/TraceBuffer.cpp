#include "trace/TraceBuffer.h"

#include <chrono>
#include <cstdio>

#include "serialization/Assert.h"
#include "serialization/LogSink.h"
#include "serialization/SimpleLogFormatter.h"
#include "trace/LibraryChannels.h"

namespace Kestrix {

namespace {
constexpr int32_t kSeverityErr = 0;
constexpr int32_t kSeverityWarning = 1;

void stamp(TraceEntry& e) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    e.seconds = ns / 1000000000;
    e.nanoseconds = ns % 1000000000;
}

// "TE: <channel> | <label> | <s>.<us>s |"
std::string prefix(const std::string& channel, uint32_t level, const TraceEntry& e) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "TE: %s | %s | %lld.%06llds |", channel.c_str(), traceLevelLabel(level),
                  static_cast<long long>(e.seconds), static_cast<long long>(e.nanoseconds / 1000));
    return buf;
}
}  // namespace

TraceBuffer& TraceBuffer::instance() {
    static TraceBuffer buffer(true);
    return buffer;
}

int32_t TraceBuffer::createChannel(const char* name, uint32_t mask) {
    KX_ASSERT(name);
    std::lock_guard<std::mutex> lock(_tableMutex);
    KX_ASSERT(!_chanTableLocked);
    KX_ASSERT_MSG(_table.channels.size() < ChannelTable::kMaxChannels, "channel count");
    _table.channels.emplace_back(name, mask);
    return static_cast<int32_t>(_table.channels.size() - 1);
}

int32_t TraceBuffer::tryCreateChannel(const char* name, uint32_t mask) {
    if (name == nullptr) return kNoChannel;
    std::lock_guard<std::mutex> lock(_tableMutex);
    if (_chanTableLocked || _table.channels.size() >= ChannelTable::kMaxChannels) return kNoChannel;
    _table.channels.emplace_back(name, mask);
    return static_cast<int32_t>(_table.channels.size() - 1);
}

void TraceBuffer::lock() {
    std::lock_guard<std::mutex> lock(_tableMutex);
    if (_chanTableLocked) return;
    if (_libraryChannels) {
        for (const char* name : libraryChannelNames()) {
            if (_table.find(name) >= 0 || _table.channels.size() >= ChannelTable::kMaxChannels) continue;
            _table.channels.emplace_back(name, kLibraryChannelMask);
        }
    }
    _chanTableLocked = true;
}

int32_t TraceBuffer::findChannel(const char* name) const {
    if (!name) return kNoChannel;
    std::lock_guard<std::mutex> lock(_tableMutex);
    const int32_t id = _table.find(name);
    return id < 0 ? kNoChannel : id;
}

bool TraceBuffer::accepts(int32_t channel, uint32_t level) const {
    KX_ASSERT(_chanTableLocked);
    if (channel == kNoChannel) return false;
    // The table is immutable once locked, so it is read without its mutex.
    KX_ASSERT_MSG(channel >= 0 && static_cast<size_t>(channel) < _table.channels.size(), "channel < channel count");
    return (_table.channels[static_cast<size_t>(channel)].mask & level) != 0;
}

void TraceBuffer::trace(int32_t channel, uint32_t level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vtrace(channel, level, format, args);
    va_end(args);
}

void TraceBuffer::vtrace(int32_t channel, uint32_t level, const char* format, va_list args) {
    if (!accepts(channel, level)) return;
    auto e = std::make_shared<StringEntry>();
    stamp(*e);
    e->channel = channel;
    e->level = level;
    char text[kMaxMessage + 1];
    std::vsnprintf(text, sizeof text, format ? format : "", args);
    e->text = text;

    const std::string& chan = _table.channels[static_cast<size_t>(channel)].name;
    if (_console || level == TraceLevel::error || level == TraceLevel::warning) {
        const std::string line = prefix(chan, level, *e) + " | " + e->text;
        if (_console) {
            std::fprintf(stdout, "%s\n", line.c_str());
            std::fflush(stdout);
        }
        if (level == TraceLevel::error || level == TraceLevel::warning)
            Dump::logLine(_facility, level == TraceLevel::error ? kSeverityErr : kSeverityWarning, line);
    }
    append(std::move(e));
}

void TraceBuffer::traceObject(int32_t channel, uint32_t level, const std::string& text,
                              std::shared_ptr<const Dump::IDumpable> object, bool delimiter) {
    if (!accepts(channel, level)) return;
    auto e = std::make_shared<ObjectEntry>();
    stamp(*e);
    e->channel = channel;
    e->level = level;
    e->text = text.substr(0, kMaxMessage);
    e->object = std::move(object);
    e->delimiter = delimiter;
    append(std::move(e));
}

void TraceBuffer::dropOldest() {
    if (_entries.front()->type() == 2) --_delimiterCount;
    KX_ASSERT(_delimiterCount >= 0);
    _entries.pop_front();
}

void TraceBuffer::append(std::shared_ptr<const TraceEntry> entry) {
    std::lock_guard<std::mutex> lock(_entriesMutex);
    if (_maxLength <= 0) return;
    while (!_entries.empty() && _entries.size() >= static_cast<size_t>(_maxLength)) dropOldest();
    if (entry->type() == 2) ++_delimiterCount;
    _entries.push_back(std::move(entry));
}

void TraceBuffer::setMaxLength(int32_t n) {
    if (n < 0) n = 0;
    std::lock_guard<std::mutex> lock(_entriesMutex);
    while (_entries.size() > static_cast<size_t>(n)) dropOldest();
    _maxLength = n;
}

bool TraceBuffer::setLoggerFacility(int32_t facility) {
    if (facility < 0 || facility > Dump::SimpleLogFormatter::kMaxFacility) return false;
    _facility = facility;
    return true;
}

void TraceBuffer::flush(bool critical, bool clear) {
    KX_ASSERT(_chanTableLocked);
    const int32_t facility = _facility;
    const int32_t severity = critical ? kSeverityErr : kSeverityWarning;
    // Take the entries out under the mutex and write them without it, so a log sink or an object's
    // dump that traces cannot deadlock.
    std::deque<std::shared_ptr<const TraceEntry>> taken;
    {
        std::lock_guard<std::mutex> lock(_entriesMutex);
        taken = _entries;
        if (clear) {
            _entries.clear();
            _delimiterCount = 0;
        }
    }
    if (critical) Dump::logLine(facility, severity, "Critical Error: trace buffer dump - begin");
    for (const auto& e : taken) {
        const std::string& chan = _table.channels[static_cast<size_t>(e->channel)].name;
        switch (e->type()) {
            case 0: {
                const auto& s = static_cast<const StringEntry&>(*e);
                Dump::logLine(facility, severity, prefix(chan, s.level, s) + " | " + s.text);
                break;
            }
            case 1:
            case 2: {
                const auto& o = static_cast<const ObjectEntry&>(*e);
                char head[kMaxMessage + 96];
                std::snprintf(head, sizeof head, "| %-7s %s TE: %lld.%06llds", traceLevelLabel(o.level), o.text.c_str(),
                              static_cast<long long>(o.seconds), static_cast<long long>(o.nanoseconds / 1000));
                Dump::logLine(facility, severity, head);
                Dump::logLine(facility, severity, " | " + chan + " | TraceBuffer::flush() - Start of object");
                if (o.object) {
                    Dump::SimpleLogFormatter f(facility, severity);
                    o.object->dump(f, Dump::DumpFlags{_dumpDetail.load()});
                }
                Dump::logLine(facility, severity, " | " + chan + " | TraceBuffer::flush() - End of object");
                break;
            }
            default: KX_ASSERT_MSG(false, "unknown type");
        }
    }
    if (critical) Dump::logLine(facility, severity, "Critical Error: trace buffer dump - end");
}

int32_t TraceBuffer::maxLength() const {
    std::lock_guard<std::mutex> lock(_entriesMutex);
    return _maxLength;
}

size_t TraceBuffer::size() const {
    std::lock_guard<std::mutex> lock(_entriesMutex);
    return _entries.size();
}

int32_t TraceBuffer::delimiterCount() const {
    std::lock_guard<std::mutex> lock(_entriesMutex);
    return _delimiterCount;
}

std::vector<std::shared_ptr<const TraceEntry>> TraceBuffer::entries() const {
    std::lock_guard<std::mutex> lock(_entriesMutex);
    return {_entries.begin(), _entries.end()};
}

ChannelTable TraceBuffer::channelTable() const {
    std::lock_guard<std::mutex> lock(_tableMutex);
    return _table;
}

}  // namespace Kestrix
