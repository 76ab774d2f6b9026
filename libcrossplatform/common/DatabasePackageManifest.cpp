// The manifest classes read without the end-of-payload re-positioning of other framed classes.
#include "common/DatabasePackageManifest.h"

#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"

namespace Kestrix {

// ---- summary ----

void DatabasePackageManifestSummary::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::DatabasePackageManifestSummary);
    h.serialize(w);
    customerVersion.serialize(w);
    w.write(releaseType);
    w.write(build);
    w.write(type);
    w.write(minReqFirmwareVersion);
    h.finishWrite(w);
}

Marshal::StreamOpStatus DatabasePackageManifestSummary::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::DatabasePackageManifestSummary)) return st;
    customerVersion.deserialize(r);
    r.read(releaseType);
    r.read(build);
    r.read(type);
    r.read(minReqFirmwareVersion);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void DatabasePackageManifestSummary::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value DatabasePackageManifestSummary::toJson(const Dump::DumpFlags& flags) const {
    Json::Value v(Json::objectValue);
    v["CustomDatabaseVersion"] = customerVersion.toJson(flags)["CustomDatabaseVersion"];
    v["releaseType"] = releaseType;
    v["build"] = build;
    v["type"] = type;
    v["minReqFirmwareVersion"] = minReqFirmwareVersion;
    Json::Value out(Json::objectValue);
    out["DatabasePackageManifestSummary"] = v;
    return out;
}

// ---- descriptor ----

void DatabaseDescriptor::serialize(Marshal::IObjectWriter& w) const {
    version.serialize(w);
    w.write(dbType);
    const auto n = static_cast<uint32_t>(filePath.size() + 1);
    w.write(n);
    w.write(filePath.c_str(), n);  // the path and its NUL
    w.write(minReqFirmwareVersion);
}

Marshal::StreamOpStatus DatabaseDescriptor::deserialize(Marshal::IObjectReader& r) {
    if (auto st = version.deserialize(r)) return st;
    r.read(dbType);
    if (auto st = Marshal::readNulTerminated(r, kMaxPathField, filePath)) return st;
    r.read(minReqFirmwareVersion);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void DatabaseDescriptor::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value DatabaseDescriptor::toJson(const Dump::DumpFlags& flags) const {
    Json::Value v(Json::objectValue);
    v["DatabaseVersion"] = version.toJson(flags)["DatabaseVersion"];
    v["dbType"] = dbType;
    v["filePath"] = filePath;
    v["minReqFirmwareVersion"] = minReqFirmwareVersion;
    Json::Value out(Json::objectValue);
    out["DatabaseDescriptor"] = v;
    return out;
}

// ---- descriptor list ----

void DatabaseDescriptorList::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::DatabaseDescriptorList);
    h.serialize(w);
    w.write(static_cast<uint32_t>(descriptors.size()));
    for (const auto& d : descriptors) d.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus DatabaseDescriptorList::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::DatabaseDescriptorList)) return st;
    descriptors.clear();
    uint32_t count = 0;
    if (!r.read(count)) return Marshal::readError;
    // Checked before anything is allocated.
    if (count == 0 || count > kMaxDescriptors) return Marshal::invalidData;
    descriptors.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        DatabaseDescriptor d;
        if (auto st = d.deserialize(r)) return st;
        descriptors.push_back(std::move(d));
    }
    if (r.failed()) {
        descriptors.clear();
        return Marshal::readError;
    }
    return Marshal::ok;
}

void DatabaseDescriptorList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value DatabaseDescriptorList::toJson(const Dump::DumpFlags& flags) const {
    Json::Value v(Json::arrayValue);
    for (const auto& d : descriptors) v.append(d.toJson(flags));
    Json::Value out(Json::objectValue);
    out["DatabaseDescriptorList"] = v;
    return out;
}

// ---- manifest ----

void DatabasePackageManifest::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::DatabasePackageManifest);
    h.serialize(w);
    summary.serialize(w);
    list.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus DatabasePackageManifest::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::DatabasePackageManifest)) return st;
    if (auto st = summary.deserialize(r)) return st;
    if (auto st = list.deserialize(r)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void DatabasePackageManifest::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value DatabasePackageManifest::toJson(const Dump::DumpFlags& flags) const {
    Json::Value v(Json::objectValue);
    v["DatabasePackageManifestSummary"] = summary.toJson(flags)["DatabasePackageManifestSummary"];
    v["DatabaseDescriptorList"] = list.toJson(flags)["DatabaseDescriptorList"];
    Json::Value out(Json::objectValue);
    out["DatabasePackageManifest"] = v;
    return out;
}

}  // namespace Kestrix
