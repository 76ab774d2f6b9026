#include "storage/TestSet.h"

#include <string>
#include <typeinfo>

#include "common/jsonutil.h"
#include "serialization/ByteStreamBuilder.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/JsonFields.h"
#include "storage/ProjectTrace.h"

namespace Project {

using namespace Marshal;

void TestSet::serialize(IObjectWriter& w) const {
    Header h(typeInfo());
    h.serialize(w);
    w.write(id);
    w.write(modID);
    setup().serialize(w);
    h.finishWrite(w);
}

StreamOpStatus TestSet::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, typeInfo())) return st;
    r.read(id);
    r.read(modID);
    if (r.failed()) return readError;
    if (auto st = setup().deserialize(r)) return st;
    afterRead(h.classVersion);
    return h.finishRead(r, r.failed() ? readError : ok);
}

void TestSet::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value TestSet::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o = flags.detail > 0 ? setup().toJson(flags) : Json::Value(Json::objectValue);
    if (!o.isObject()) o = Json::Value(Json::objectValue);
    o["_className"] = className();
    o["_classVersion"] = typeInfo().version;
    if (flags.detail > 0) {
        o["type"] = typeId();
        o["id"] = id;
        o["modID"] = modID;
    }
    Json::Value root(Json::objectValue);
    root[className()] = o;
    return root;
}

bool TestSet::fromJson(const Json::Value& json) {
    const Json::Value* o = objectMember(json, className());
    if (!o) return false;
    const int32_t type = Kestrix::JsonUtil::optInt(*o, "type").value_or(-1);
    if (type != typeId()) {
        const std::string fn = std::string("Project::") + className() + "::fromJson";
        traceWarning("%s() - %s has a type ID of %d when it should be %d", fn.c_str(), className(), type, typeId());
    }
    id = Kestrix::JsonUtil::optInt(*o, "id").value_or(-1);
    // modID is unsigned: the -1 default is kept as its bit pattern.
    modID = Kestrix::JsonUtil::optUInt(*o, "modID").value_or(0xFFFFFFFFu);
    return setup().fromJson(*o);
}

namespace {
std::vector<uint8_t> bytesOf(const Kestrix::Settings& s) {
    ByteStreamBuilder b;
    s.serialize(b);
    return b.bytes();
}
}  // namespace

bool TestSet::equals(const TestSet& o) const {
    if (typeid(*this) != typeid(o) || id != o.id || modID != o.modID) return false;
    // The stored form covers every field of a setup, whatever the setup class offers for comparing.
    return bytesOf(setup()) == bytesOf(o.setup());
}

}  // namespace Project
