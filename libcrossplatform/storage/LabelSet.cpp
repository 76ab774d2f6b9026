#include "storage/LabelSet.h"

#include <bit>

#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/CountedString.h"
#include "storage/JsonFields.h"

namespace Project {

using namespace Marshal;

void LabelSet::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

uint64_t BoundedLabelSet::numberOfTests() const {
    uint32_t bits = testTypeVec;
    if (bits & kCombinedBit) bits &= ~(kOtdrBit | kCopperBit);
    return static_cast<uint64_t>(size()) * static_cast<uint64_t>(std::popcount(bits));
}

void BoundedLabelSet::serializeBounded(IObjectWriter& w) const {
    w.write(type);
    w.write(id);
    w.write(_size);
    w.write(mediaType);
    w.write(testTypeVec);
}

void BoundedLabelSet::readBounded(IObjectReader& r) {
    r.read(type);
    r.read(id);
    r.read(_size);
    r.read(mediaType);
    r.read(testTypeVec);
}

void BoundedLabelSet::boundedJson(Json::Value& o) const {
    o["type"] = type;
    o["id"] = id;
    o["size"] = _size;
    o["mediaType"] = mediaType;
    o["testTypeVec"] = testTypeVec;
    o["tests"] = Json::UInt64(numberOfTests());
}

bool BoundedLabelSet::boundedFromJson(const Json::Value& o) {
    JsonFields f(o);
    f.read("type", type);
    f.read("id", id);
    f.read("size", _size);
    f.read("mediaType", mediaType);
    f.read("testTypeVec", testTypeVec);
    return f.ok();
}

bool BoundedLabelSet::boundedEquals(const BoundedLabelSet& o) const {
    return type == o.type && id == o.id && _size == o._size && mediaType == o.mediaType && testTypeVec == o.testTypeVec;
}

// ---- SequentialLabelSet

void SequentialLabelSet::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectSequentialLabelSet);
    h.serialize(w);
    serializeBounded(w);
    writeCountedString(w, start);
    writeCountedString(w, stop);
    h.finishWrite(w);
}

StreamOpStatus SequentialLabelSet::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectSequentialLabelSet)) return st;
    readBounded(r);
    if (auto st = readCountedString(r, start)) return st;
    if (auto st = readCountedString(r, stop)) return st;
    return h.finishRead(r, r.failed() ? readError : ok);
}

Json::Value SequentialLabelSet::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    if (flags.detail > 0) {
        boundedJson(o);
        o["start"] = start;
        o["stop"] = stop;
    }
    o["_className"] = "SequentialLabelSet";
    o["_classVersion"] = TypeIds::ProjectSequentialLabelSet.version;
    Json::Value root(Json::objectValue);
    root["SequentialLabelSet"] = o;
    return root;
}

bool SequentialLabelSet::fromJson(const Json::Value& json) {
    *this = SequentialLabelSet{};
    const Json::Value* o = objectMember(json, "SequentialLabelSet");
    if (!o) return false;
    bool good = boundedFromJson(*o);
    JsonFields f(*o);
    f.read("start", start);
    f.read("stop", stop);
    return f.ok() && good;
}

bool SequentialLabelSet::equals(const LabelSet& o) const {
    const auto* s = dynamic_cast<const SequentialLabelSet*>(&o);
    return s && boundedEquals(*s) && start == s->start && stop == s->stop;
}

// ---- RandomLabelSet

void RandomLabelSet::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectRandomLabelSet);
    h.serialize(w);
    serializeBounded(w);
    writeCountedString(w, name);
    writeCountedString(w, fileName);
    h.finishWrite(w);
}

StreamOpStatus RandomLabelSet::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectRandomLabelSet)) return st;
    readBounded(r);
    if (auto st = readCountedString(r, name)) return st;
    if (auto st = readCountedString(r, fileName)) return st;
    return h.finishRead(r, r.failed() ? readError : ok);
}

Json::Value RandomLabelSet::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    if (flags.detail > 0) {
        boundedJson(o);
        o["name"] = name;
        o["fileName"] = fileName;
    }
    o["_className"] = "RandomLabelSet";
    o["_classVersion"] = TypeIds::ProjectRandomLabelSet.version;
    Json::Value root(Json::objectValue);
    root["RandomLabelSet"] = o;
    return root;
}

bool RandomLabelSet::fromJson(const Json::Value& json) {
    *this = RandomLabelSet{};
    const Json::Value* o = objectMember(json, "RandomLabelSet");
    if (!o) return false;
    bool good = boundedFromJson(*o);
    JsonFields f(*o);
    f.read("name", name);
    f.read("fileName", fileName);
    return f.ok() && good;
}

bool RandomLabelSet::equals(const LabelSet& o) const {
    const auto* s = dynamic_cast<const RandomLabelSet*>(&o);
    return s && boundedEquals(*s) && name == s->name && fileName == s->fileName;
}

// ---- AutoIncrementLabelSet

void AutoIncrementLabelSet::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectAutoIncrementLabelSet);
    h.serialize(w);
    w.write(type);
    w.write(id);
    writeCountedString(w, seed);
    w.write(maxLength);
    h.finishWrite(w);
}

StreamOpStatus AutoIncrementLabelSet::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectAutoIncrementLabelSet)) return st;
    r.read(type);
    r.read(id);
    if (auto st = readCountedString(r, seed)) return st;
    r.read(maxLength);
    return h.finishRead(r, r.failed() ? readError : ok);
}

Json::Value AutoIncrementLabelSet::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    if (flags.detail > 0) {
        o["type"] = type;
        o["id"] = id;
        o["seed"] = seed;
        o["maxLength"] = maxLength;
    }
    o["_className"] = "AutoIncrementLabelSet";
    o["_classVersion"] = TypeIds::ProjectAutoIncrementLabelSet.version;
    Json::Value root(Json::objectValue);
    root["AutoIncrementLabelSet"] = o;
    return root;
}

bool AutoIncrementLabelSet::fromJson(const Json::Value& json) {
    *this = AutoIncrementLabelSet{};
    const Json::Value* o = objectMember(json, "AutoIncrementLabelSet");
    if (!o) return false;
    JsonFields f(*o);
    f.read("type", type);
    f.read("id", id);
    f.read("seed", seed);
    f.read("maxLength", maxLength);
    return f.ok();
}

bool AutoIncrementLabelSet::equals(const LabelSet& o) const {
    const auto* s = dynamic_cast<const AutoIncrementLabelSet*>(&o);
    return s && type == s->type && id == s->id && seed == s->seed && maxLength == s->maxLength;
}

}  // namespace Project
