#include "fiber/FiberLossLengthTest.h"

#include "common/jsonutil.h"
#include "fiber/FiberJsonUtil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

namespace {

Json::Value flagTexts(uint32_t flags) {
    Json::Value arr(Json::arrayValue);
    for (uint32_t bit = 0; bit < 32; ++bit)
        if ((flags >> bit) & 1u) arr.append(lossLengthWarningText(1u << bit));
    return arr;
}

void dumpPart(Dump::IFormatter& f, const char* name, const Dump::IDumpable& part, const Dump::DumpFlags& flags) {
    f.line(name);
    f.indent();
    part.dump(f, flags);
    f.unindent();
}

}  // namespace

const char* lossLengthWarningText(uint32_t bit) {
    switch (bit) {
        case 2: return "NegativeLength";
        case 4: return "NegativeLoss";
        case 8: return "TrcLoss";
        default: return "";
    }
}

bool FiberLossLengthTest::getLimit(FiberLimit& out) const {
    out = limit;
    return true;
}

bool FiberLossLengthTest::getFiber(Fiber& out) const {
    out = fiber;
    return true;
}

ScaledInt FiberLossLengthTest::getPatchCordLength(unsigned index) const {
    return index < patchCordLength.size() ? patchCordLength[index] : ScaledInt::nan();
}

const FiberCheckLimitResult* FiberLossLengthTest::getMaxLossCheckLimitResult(CableEnd end) const {
    const FiberCheckLimitResult* worst = nullptr;
    for (const auto& e : testPerDirectionWlVec) {
        if (end != CableEnd::notSet && e.direction != end) continue;
        const FiberCheckLimitResult* r = e.getMaxLossCheckLimitResult();
        if (!r) continue;
        if (!worst) {
            worst = r;
            continue;
        }
        const bool rFail = r->status == Status::fail;
        const bool wFail = worst->status == Status::fail;
        if (rFail != wFail) {
            if (rFail) worst = r;
        } else if (r->margin.value < worst->margin.value) {
            worst = r;
        }
    }
    return worst;
}

void FiberLossLengthTest::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberLossLengthTest);
    h.serialize(w);
    w.write(lastRefTime);
    celsius.serialize(w);
    w.write(static_cast<uint8_t>(warningFlags));
    w.write(static_cast<uint8_t>(failWarningFlags));
    length.serialize(w);
    w.write(nsPropTime);
    overallLossMeas.serialize(w);
    headroom.serialize(w);
    summary.serialize(w);
    equipmentInfo.serialize(w);
    settings.serialize(w);
    fiber.serialize(w);
    limit.serialize(w);
    Marshal::writeList<uint8_t>(w, patchCordLength);
    Marshal::writeList<uint8_t>(w, testPerDirectionWlVec);
    limitResults.serialize(w);
    remoteEquipInfo.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberLossLengthTest::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberLossLengthTest)) return st;
    auto fail = [&](Marshal::StreamOpStatus st) { return h.finishRead(r, st); };
    // A failed read leaves the field as it was; the reader's final state decides.
    int64_t refTime = 0;
    if (r.read(refTime)) lastRefTime = refTime;
    if (auto st = celsius.deserialize(r)) return fail(st);
    uint8_t flags = 0;
    if (r.read(flags)) warningFlags = flags;
    if (h.classVersion >= 1) {
        if (r.read(flags)) failWarningFlags = flags;
    } else {
        failWarningFlags = warningFlags;
    }
    if (auto st = length.deserialize(r)) return fail(st);
    r.read(nsPropTime);
    if (auto st = overallLossMeas.deserialize(r)) return fail(st);
    if (auto st = headroom.deserialize(r)) return fail(st);
    if (auto st = summary.deserialize(r)) return fail(st);
    if (auto st = equipmentInfo.deserialize(r)) return fail(st);
    if (auto st = settings.deserialize(r)) return fail(st);
    if (auto st = fiber.deserialize(r)) return fail(st);
    if (auto st = limit.deserialize(r)) return fail(st);
    if (auto st = Marshal::readList<uint8_t>(r, patchCordLength, ScaledInt::kWireSize)) return fail(st);
    if (auto st = Marshal::readList<uint8_t>(r, testPerDirectionWlVec, FiberLossLengthTestPerDirectionWl::kMinWireSize))
        return fail(st);
    if (auto st = limitResults.deserialize(r)) return fail(st);
    if (auto st = remoteEquipInfo.deserialize(r)) return fail(st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberLossLengthTest::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberLossLengthTest");
    dumpPart(f, "summary", summary, flags);
    dumpPart(f, "equipmentInfo", equipmentInfo, flags);
    dumpPart(f, "remoteEquipInfo", remoteEquipInfo, flags);
    dumpPart(f, "settings", settings, flags);
    dumpPart(f, "fiber", fiber, flags);
    dumpPart(f, "limit", limit, flags);
    for (size_t i = 0; i < patchCordLength.size(); ++i) f.write("patchCordLength", patchCordLength[i].toString());
    for (const auto& e : testPerDirectionWlVec) dumpPart(f, "testPerDirectionWl", e, flags);
    f.write("lastRefTime", JsonUtil::formatTime(lastRefTime));
    f.write("length", length.toString());
    f.write("nsPropTime", nsPropTime);
    f.write("celsius", celsius.toString());
    f.hex("warningFlags", warningFlags);
    f.hex("failWarningFlags", failWarningFlags);
    f.write("overallLossMeas", overallLossMeas.toString());
    f.write("headroom", headroom.toString());
    limitResults.dump(f, flags);
}

Json::Value FiberLossLengthTest::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberLossLengthTest";
    j["_classVersion"] = Marshal::TypeIds::FiberLossLengthTest.version;
    if (flags.detail == 0) return j;
    j["summary"] = summary.toJson(flags);
    j["equipmentInfo"] = equipmentInfo.toJson(flags);
    j["remoteEquipInfo"] = remoteEquipInfo.toJson(flags);
    j["FiberLossLengthSettings"] = FiberJson::body(settings.toJson(flags), "FiberLossLengthSettings");
    j["Fiber"] = FiberJson::body(fiber.toJson(flags), "Fiber");
    j["FiberLimit"] = FiberJson::body(limit.toJson(flags), "FiberLimit");
    Json::Value cords(Json::arrayValue);
    for (const auto& c : patchCordLength) cords.append(c.toString());
    j["patchCordLength"] = cords;
    Json::Value entries(Json::arrayValue);
    for (const auto& e : testPerDirectionWlVec) entries.append(e.toJson(flags));
    j["testPerDirectionWlVec"] = entries;
    j["lastRefTime"] = JsonUtil::formatTime(lastRefTime);
    j["length"] = length.toString();
    j["nsPropTime"] = JsonUtil::jsonNumber(nsPropTime);
    j["celsius"] = celsius.toJson(flags);
    j["warningFlags"] = warningFlags;
    j["warningFlagsArray"] = flagTexts(warningFlags);
    j["failWarningFlags"] = failWarningFlags;
    j["failWarningFlagsArray"] = flagTexts(failWarningFlags);
    j["overallLossMeas"] = overallLossMeas.toString();
    j["headroom"] = headroom.toString();
    j["limitResults"] = limitResults.toJson(flags);
    return j;
}

}  // namespace Kestrix
