#include "trace/ChannelTable.h"

#include <cstdio>

#include "serialization/CountedList.h"
#include "serialization/Header.h"

namespace Kestrix {

const char* traceLevelLabel(uint32_t level) {
    switch (level) {
        case TraceLevel::error: return "ERROR ";
        case TraceLevel::info: return "INFO ";
        case TraceLevel::warning: return "WARN ";
        case TraceLevel::debug: return "DEBUG ";
        case TraceLevel::debug1: return "DEBUG1 ";
        case TraceLevel::debug2: return "DEBUG2 ";
        default: return "";
    }
}

void Channel::serialize(Marshal::IObjectWriter& w) const {
    const auto n = static_cast<uint32_t>(name.size() + 1);
    w.write(n);
    w.write(name.c_str(), n);  // the characters and the terminating NUL
    w.write(mask);
}

Marshal::StreamOpStatus Channel::deserialize(Marshal::IObjectReader& r) {
    if (auto st = Marshal::readNulTerminated(r, UINT32_MAX, name)) return st;
    r.read(mask);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void ChannelTable::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::ChannelTable);
    h.serialize(w);
    Marshal::writeList<uint16_t>(w, channels);
    h.finishWrite(w);
}

Marshal::StreamOpStatus ChannelTable::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::ChannelTable)) return st;
    channels.clear();
    uint32_t count = 0;
    if (!Marshal::readCount<uint16_t>(r, Channel::kMinWireSize, count)) return h.finishRead(r, Marshal::readError);
    channels.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        Channel c;
        if (auto st = c.deserialize(r)) return st;
        channels.push_back(std::move(c));
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

int32_t ChannelTable::find(const std::string& name) const {
    for (size_t i = 0; i < channels.size(); ++i)
        if (channels[i].name == name) return static_cast<int32_t>(i);
    return -1;
}

void ChannelTable::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.line("ChannelTable");
    f.line("              0       1       2       3       4       5");
    f.line("              err     info    warn    debug   debug1  debug2");
    char row[256];
    for (size_t i = 0; i < channels.size(); ++i) {
        const uint32_t m = channels[i].mask;
        auto bit = [m](uint32_t b) { return (m & b) ? 1 : 0; };
        std::snprintf(row, sizeof row, "%2d %-10s %-7d %-7d %-7d %-7d %-7d %-7d", static_cast<int>(i),
                      channels[i].name.c_str(), bit(TraceLevel::error), bit(TraceLevel::info), bit(TraceLevel::warning),
                      bit(TraceLevel::debug), bit(TraceLevel::debug1), bit(TraceLevel::debug2));
        f.line(row);
    }
}

}  // namespace Kestrix
