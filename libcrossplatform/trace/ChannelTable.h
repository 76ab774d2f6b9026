#pragma once
// Trace channels: a name and a mask of enabled levels. A channel's index in the table is its id.
#include <cstdint>
#include <string>
#include <vector>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "serialization/StoredCount.h"

namespace Kestrix {

// Trace levels are single bits; a channel's mask enables them. Error is always enabled.
namespace TraceLevel {
inline constexpr uint32_t error = 1;
inline constexpr uint32_t info = 2;
inline constexpr uint32_t warning = 4;
inline constexpr uint32_t debug = 8;
inline constexpr uint32_t debug1 = 16;
inline constexpr uint32_t debug2 = 32;
}  // namespace TraceLevel

// "ERROR ", "INFO ", "WARN ", "DEBUG ", "DEBUG1 ", "DEBUG2 "; "" for anything else.
const char* traceLevelLabel(uint32_t level);

// Stored without an object header: uint32 name length + 1, the name and a NUL, uint32 mask.
class Channel : public Marshal::ISerializable {
public:
    // The length, one NUL and the mask.
    static constexpr size_t kMinWireSize = 9;

    Channel() = default;
    Channel(std::string n, uint32_t m) : name(std::move(n)), mask(m | TraceLevel::error) {}

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;

    std::string name;
    uint32_t mask = TraceLevel::error;
};

// Framed (ChannelTable type id, version 1): uint16 count, then the channels.
class ChannelTable : public Marshal::ISerializable, private Dump::IDumpable {
public:
    static constexpr size_t kMaxChannels = Marshal::kMaxStoredCount<uint16_t>;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    // The table with one row of level bits per channel.
    void dumpTable(Dump::IFormatter& f) const { dump(f, Dump::DumpFlags{}); }

    // Index of the channel of that name, or -1.
    int32_t find(const std::string& name) const;

    std::vector<Channel> channels;

private:
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
};

}  // namespace Kestrix
