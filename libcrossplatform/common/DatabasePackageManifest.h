#pragma once
// The manifest of a database package: what it holds and which firmware it needs.
#include <cstdint>
#include <string>
#include <vector>

#include "common/DatabaseVersion.h"

namespace Kestrix {

class DatabasePackageManifestSummary : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::string getVersionString() const { return customerVersion.getVersionString(); }

    CustomerDatabaseVersion customerVersion;
    uint16_t releaseType = 0;
    uint16_t build = 0;
    uint16_t type = 0;
    std::string minReqFirmwareVersion;
};

// One database file of the package; no framing of its own.
class DatabaseDescriptor : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // The stored path length field (path + NUL) lies in 1..1024.
    static constexpr uint32_t kMaxPathField = 1024;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    DatabaseVersion version;
    int32_t dbType = 0;
    std::string filePath;
    std::string minReqFirmwareVersion;
};

class DatabaseDescriptorList : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint32_t kMaxDescriptors = 50;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<DatabaseDescriptor> descriptors;
};

class DatabasePackageManifest : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    DatabasePackageManifestSummary summary;
    DatabaseDescriptorList list;
};

}  // namespace Kestrix
