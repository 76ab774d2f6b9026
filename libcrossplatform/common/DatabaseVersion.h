#pragma once
#include <cstdint>
#include <string>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// Version of one reference database: framed, four uint16.
class DatabaseVersion : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    DatabaseVersion() = default;
    DatabaseVersion(uint16_t s, uint16_t c, uint16_t o, uint16_t b) : schema(s), content(c), object(o), build(b) {}

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    bool operator==(const DatabaseVersion& o) const {
        return schema == o.schema && content == o.content && object == o.object && build == o.build;
    }

    uint16_t schema = 0;
    uint16_t content = 0;
    uint16_t object = 0;
    uint16_t build = 0;
};

// The version customers see ("V3.12 beta"): unframed major, minor, suffix.
class CustomerDatabaseVersion : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    // "V<major>.<minor>", then " <suffix>" when there is one.
    std::string getVersionString() const;

    bool operator==(const CustomerDatabaseVersion& o) const {
        return major == o.major && minor == o.minor && suffix == o.suffix;
    }

    uint16_t major = 0;
    uint16_t minor = 0;
    std::string suffix;
};

}  // namespace Kestrix
