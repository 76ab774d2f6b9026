#include "fiber/FiberImageTest.h"

#include <algorithm>
#include <string>

#include "fiber/FiberJsonUtil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
// Image tests up to this class version end after the picture.
constexpr uint8_t kLastVersionWithoutLimit = 2;
// A scratch segment: two int32 ends.
constexpr size_t kSegmentWireSize = 2 * sizeof(int32_t);
}  // namespace

// ---- FiberImageFeatureObject ----

bool FiberImageFeatureObject::operator==(const FiberImageFeatureObject& o) const {
    return scratchSegments == o.scratchSegments && type == o.type && distanceFromCenter == o.distanceFromCenter &&
           centroidX == o.centroidX && centroidY == o.centroidY && width == o.width && status == o.status;
}

void FiberImageFeatureObject::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint32_t>(scratchSegments.size()));
    for (const auto& p : scratchSegments) {
        w.write(p.first);
        w.write(p.second);
    }
    w.write(static_cast<uint8_t>(type));
    w.write(distanceFromCenter);
    w.write(centroidX);
    w.write(centroidY);
    w.write(width);
    w.write(static_cast<int32_t>(status));
}

Marshal::StreamOpStatus FiberImageFeatureObject::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberImageFeatureObject();
    auto readSegment = [](Marshal::IObjectReader& in, std::pair<int32_t, int32_t>& segment) {
        in.read(segment.first);
        in.read(segment.second);
    };
    if (auto st = Marshal::readList<uint32_t>(r, scratchSegments, kSegmentWireSize, readSegment)) return st;
    type = Marshal::readEnum<FiberImageFeatureType>(r);
    r.read(distanceFromCenter);
    r.read(centroidX);
    r.read(centroidY);
    r.read(width);
    int32_t st = 0;
    r.read(st);
    status = static_cast<Status>(st);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberImageFeatureObject::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value FiberImageFeatureObject::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberImageFeatureObject";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    Json::Value points(Json::arrayValue);
    for (const auto& p : scratchSegments) points.append(std::to_string(p.first) + "," + std::to_string(p.second));
    j["scratchSegments"] = points;
    j["distanceFromCenter"] = distanceFromCenter;
    j["type"] = toString(type);
    j["centroid-x"] = centroidX;
    j["centroid-y"] = centroidY;
    j["width"] = width;
    j["status"] = toString(status);
    return j;
}

// ---- FiberImageTest ----

bool FiberImageTest::getLimit(FiberLimit& out) const {
    if (limit.name.empty()) return false;
    out = limit;
    return true;
}

bool FiberImageTest::getFiber(Fiber&) const { return false; }

void FiberImageTest::writeTail(Marshal::IObjectWriter& w) const {
    limit.serialize(w);
    w.write(centerPositionX);
    w.write(centerPositionY);
    w.write(nmPerPx);
    w.write(flags);
    Marshal::writeList<uint16_t>(w, featureObjects);
}

Marshal::StreamOpStatus FiberImageTest::readTail(Marshal::IObjectReader& r) {
    if (auto st = limit.deserialize(r)) return st;
    r.read(centerPositionX);
    r.read(centerPositionY);
    r.read(nmPerPx);
    r.read(flags);
    if (auto st = Marshal::readList<uint16_t>(r, featureObjects, FiberImageFeatureObject::kMinWireSize)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

namespace {
void clearTail(FiberImageTest& t) {
    t.limit.clear();
    t.centerPositionX = 0;
    t.centerPositionY = 0;
    t.nmPerPx = 0;
    t.flags = 0;
    t.featureObjects.clear();
}
}  // namespace

void FiberImageTest::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberImageTest);
    h.serialize(w);
    summary.serialize(w);
    equipmentInfo.serialize(w);
    image.serialize(w);
    writeTail(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberImageTest::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberImageTest)) return st;
    summary.clear();
    equipmentInfo.clear();
    image = FiberImage();
    clearTail(*this);
    if (auto st = summary.deserialize(r)) return h.finishRead(r, st);
    if (auto st = equipmentInfo.deserialize(r)) return h.finishRead(r, st);
    if (auto st = image.deserialize(r)) return h.finishRead(r, st);
    if (h.classVersion > kLastVersionWithoutLimit) {
        if (auto st = readTail(r)) return h.finishRead(r, st);
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberImageTest::serializeBody(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberImageTestBody);
    h.serialize(w);
    summary.serialize(w);
    equipmentInfo.serialize(w);
    writeTail(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberImageTest::deserializeBody(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberImageTestBody)) return st;
    summary.clear();
    equipmentInfo.clear();
    clearTail(*this);
    if (auto st = summary.deserialize(r)) return h.finishRead(r, st);
    if (auto st = equipmentInfo.deserialize(r)) return h.finishRead(r, st);
    if (h.classVersion > kLastVersionWithoutLimit) {
        if (auto st = readTail(r)) return h.finishRead(r, st);
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

Json::Value FiberImageTest::json(const char* className, uint8_t classVersion, bool withImage,
                                 const Dump::DumpFlags& dumpFlags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = className;
    j["_classVersion"] = classVersion;
    if (dumpFlags.detail == 0) return j;
    j["summary"] = summary.toJson(dumpFlags);
    j["equipmentInfo"] = equipmentInfo.toJson(dumpFlags);
    if (withImage) j["image"] = image.toJson(dumpFlags);
    j["limit"] = FiberJson::body(limit.toJson(dumpFlags), "FiberLimit");
    j["centerPosition-x"] = centerPositionX;
    j["centerPosition-y"] = centerPositionY;
    j["nmPerPx"] = nmPerPx;
    Json::Value flagTexts(Json::arrayValue);
    if (flags & kFlagDirty) flagTexts.append("dirty");
    if (flags & kFlagBlurry) flagTexts.append("blurry");
    j["flags"] = flagTexts;
    Json::Value features(Json::arrayValue);
    for (const auto& fo : featureObjects) features.append(fo.toJson(dumpFlags));
    j["featureObjects"] = features;
    Json::Value diameter(Json::objectValue);
    for (uint8_t z = 0; z < kFiberImageZoneCount; ++z) {
        const auto zone = static_cast<FiberImageZone>(z);
        if (auto d = limit.getImageZoneDist(zone)) diameter[toString(zone)] = *d;
    }
    j["Diameter"] = diameter;
    return j;
}

void FiberImageTest::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberImageTest");
    image.dump(f, flags);
    Dump::dumpStyledJson(*this, f);
}

Json::Value FiberImageTest::toJson(const Dump::DumpFlags& flags) const {
    return json("FiberImageTest", Marshal::TypeIds::FiberImageTest.version, true, flags);
}

void FiberImageTestBody::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("class", "FiberImageTestBody");
    Dump::dumpStyledJson(*this, f);
}

Json::Value FiberImageTestBody::toJson(const Dump::DumpFlags& flags) const {
    return json("FiberImageTestBody", Marshal::TypeIds::FiberImageTestBody.version, false, flags);
}

}  // namespace Kestrix
