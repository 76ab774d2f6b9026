#include "common/DatabaseVersion.h"

#include "serialization/Header.h"
#include "serialization/JsonText.h"

namespace Kestrix {

void DatabaseVersion::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::DatabaseVersion);
    h.serialize(w);
    w.write(schema);
    w.write(content);
    w.write(object);
    w.write(build);
    h.finishWrite(w);
}

// Manifest classes stop after the failure check: no re-positioning at the end of the payload.
Marshal::StreamOpStatus DatabaseVersion::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::DatabaseVersion)) return st;
    r.read(schema);
    r.read(content);
    r.read(object);
    r.read(build);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void DatabaseVersion::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value DatabaseVersion::toJson(const Dump::DumpFlags&) const {
    Json::Value v(Json::objectValue);
    v["schema"] = schema;
    v["content"] = content;
    v["object"] = object;
    v["build"] = build;
    Json::Value out(Json::objectValue);
    out["DatabaseVersion"] = v;
    return out;
}

void CustomerDatabaseVersion::serialize(Marshal::IObjectWriter& w) const {
    w.write(major);
    w.write(minor);
    w.write(suffix);
}

Marshal::StreamOpStatus CustomerDatabaseVersion::deserialize(Marshal::IObjectReader& r) {
    r.read(major);
    r.read(minor);
    r.read(suffix);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

std::string CustomerDatabaseVersion::getVersionString() const {
    // Appended piece by piece: g++ 12 gives a false -Wrestrict on "V" + std::string at -O2.
    std::string s("V");
    s.append(std::to_string(major)).append(".").append(std::to_string(minor));
    if (!suffix.empty()) s.append(" ").append(suffix);
    return s;
}

void CustomerDatabaseVersion::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value CustomerDatabaseVersion::toJson(const Dump::DumpFlags&) const {
    Json::Value v(Json::objectValue);
    v["Version"] = getVersionString();
    Json::Value out(Json::objectValue);
    out["CustomDatabaseVersion"] = v;
    return out;
}

}  // namespace Kestrix
