#include "copper/CopperTestBody.h"

#include "common/jsonutil.h"
#include "copper/CopperLimit.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"
#include "serialization/SerialTypeID.h"

namespace Kestrix {

CopperTestBody::CopperTestBody(const CopperTestBody& o) { *this = o; }

CopperTestBody::~CopperTestBody() = default;

CopperTestBody& CopperTestBody::operator=(const CopperTestBody& o) {
    if (this == &o) return *this;
    copperTestType = o.copperTestType;
    status = o.status;
    timestamp = o.timestamp;
    retest = o.retest;
    operatorName = o.operatorName;
    settings = o.settings;
    mainEquipInfo = o.mainEquipInfo;
    remoteEquipInfo = o.remoteEquipInfo;
    cable = o.cable;
    limit = o.limit ? std::make_shared<CopperLimit>(*o.limit) : nullptr;
    outletConfig = o.outletConfig;
    faultInfo = o.faultInfo;
    wiremap = o.wiremap;
    scalars = o.scalars;
    copperfreqs = o.copperfreqs;
    diagRes = o.diagRes;
    useDiagRes = o.useDiagRes;
    mainTemp = o.mainTemp;
    reserved = o.reserved;
    remoteTemp = o.remoteTemp;
    return *this;
}

void CopperTestBody::reset() {
    copperTestType = CopperTestType::none;
    status = Status::notSet;
    timestamp = 0;
    retest = false;
    operatorName.clear();
    settings.clear();
    mainEquipInfo.clear();
    remoteEquipInfo.clear();
    cable.clear();
    limit.reset();
    outletConfig.reset();
    faultInfo.clear();
    wiremap.reset();
    scalars.clear();
    copperfreqs.clear();
    diagRes.clear();
    useDiagRes = false;
    mainTemp = 0.0f;
    reserved = 0;
    remoteTemp = 0.0f;
}

void CopperTestBody::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperTest);
    h.serialize(w);
    w.write(static_cast<uint8_t>(copperTestType));
    w.write(static_cast<uint8_t>(status));
    w.write(timestamp);
    w.write(retest);
    w.write(operatorName);
    settings.serialize(w);
    mainEquipInfo.serialize(w);
    remoteEquipInfo.serialize(w);
    cable.serialize(w);
    if (limit) {
        Marshal::SerialTypeID(Marshal::TypeIds::CopperLimit.domain, Marshal::TypeIds::CopperLimit.code).serialize(w);
        limit->serialize(w);
    } else {
        Marshal::SerialTypeID(0, 0).serialize(w);
    }
    outletConfig.serialize(w);
    faultInfo.serialize(w);
    wiremap.serialize(w);
    w.write(static_cast<uint32_t>(scalars.size()));
    for (const auto& s : scalars) s.serialize(w);
    copperfreqs.serialize(w);
    diagRes.serialize(w);
    w.write(useDiagRes);
    w.write(mainTemp);
    w.write(reserved);
    w.write(remoteTemp);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperTestBody::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperTest)) return st;
    reset();
    uint8_t type = 0, st8 = 0;
    r.read(type);
    r.read(st8);
    copperTestType = static_cast<CopperTestType>(type);
    status = static_cast<Status>(st8);
    r.read(timestamp);
    r.read(retest);
    r.read(operatorName);
    if (r.failed()) return Marshal::readError;
    if (auto st = settings.deserialize(r); st != Marshal::ok) return st;
    if (auto st = mainEquipInfo.deserialize(r); st != Marshal::ok) return st;
    if (auto st = remoteEquipInfo.deserialize(r); st != Marshal::ok) return st;
    if (auto st = cable.deserialize(r); st != Marshal::ok) return st;

    Marshal::SerialTypeID limitId;
    if (auto st = limitId.deserialize(r); st != Marshal::ok) return st;
    if (limitId.packed() == Marshal::TypeIds::CopperLimit.id()) {
        limit = std::make_shared<CopperLimit>();
        if (auto st = limit->deserialize(r); st != Marshal::ok) return st;
    } else if (limitId.packed() != 0) {
        return Marshal::invalidData;
    }

    if (auto st = outletConfig.deserialize(r); st != Marshal::ok) return st;
    if (auto st = faultInfo.deserialize(r); st != Marshal::ok) return st;
    if (auto st = wiremap.deserialize(r); st != Marshal::ok) return st;
    if (auto st = Marshal::readList<uint32_t>(r, scalars, CopperScalar::kMinWireSize)) return st;
    if (auto st = copperfreqs.deserialize(r); st != Marshal::ok) return st;
    if (auto st = diagRes.deserialize(r); st != Marshal::ok) return st;
    r.read(useDiagRes);
    r.read(mainTemp);
    r.read(reserved);
    r.read(remoteTemp);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void CopperTestBody::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperTestBody::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["copperTestType"] = toString(copperTestType);
    o["status"] = toString(status);
    o["timestamp"] = static_cast<Json::Int64>(timestamp);
    o["retest"] = retest;
    o["operatorName"] = operatorName;
    o["settings"] = settings.toJson(flags);
    o["mainEquipInfo"] = mainEquipInfo.toJson(flags);
    o["remoteEquipInfo"] = remoteEquipInfo.toJson(flags);
    o["cable"] = cable.toJson(flags);
    o["limit"] = limit ? limit->toJson(flags) : Json::Value(Json::nullValue);
    o["outletConfig"] = outletConfig.toJson(flags);
    o["faultInfo"] = faultInfo.toJson(flags);
    o["wiremap"] = wiremap.toJson(flags);
    Json::Value arr(Json::arrayValue);
    for (const auto& s : scalars) arr.append(s.jsonBody(flags));
    o["scalars"] = arr;
    o["copperfreqs"] = copperfreqs.jsonBody(flags);
    o["diagRes"] = diagRes.toJson(flags);
    o["useDiagRes"] = useDiagRes;
    o["mainTemp"] = JsonUtil::jsonNumber(mainTemp);
    o["remoteTemp"] = JsonUtil::jsonNumber(remoteTemp);
    return o;
}

Json::Value CopperTestBody::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperTestBody"] = jsonBody(flags);
    return root;
}

}  // namespace Kestrix
