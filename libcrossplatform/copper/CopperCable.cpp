#include "copper/CopperCable.h"

#include "common/jsonutil.h"
#include "copper/CopperUtil.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"

namespace Kestrix {

const char* toString(CopperCable::Shield s) {
    switch (s) {
        case CopperCable::Shield::notUsed: return "NOT_USED";
        case CopperCable::Shield::UUTP: return "U/UTP";
        case CopperCable::Shield::UFTP: return "U/FTP";
        case CopperCable::Shield::FUTP: return "F/UTP";
        case CopperCable::Shield::SFTP: return "S/FTP";
        case CopperCable::Shield::SFUTP: return "SF/UTP";
    }
    return "";
}

const char* toString(CopperCable::CatId c) {
    switch (c) {
        case CopperCable::CatId::cat3: return "3";
        case CopperCable::CatId::cat4: return "4";
        case CopperCable::CatId::cat5: return "5";
        case CopperCable::CatId::cat5E: return "5E";
        case CopperCable::CatId::cat6: return "6";
        case CopperCable::CatId::cat6A: return "6A";
        case CopperCable::CatId::cat7: return "7";
        case CopperCable::CatId::cat7A: return "7A";
        case CopperCable::CatId::cat8: return "8";
        case CopperCable::CatId::coax: return "coax";
    }
    return "";
}

void CopperCable::clear() {
    name.clear();
    nvp = ScaledInt();
    impedance = 0;
    copperShield = Shield::notUsed;
    catId = CatId::cat6;
    tdLossTan = tdP0 = tdP1 = tdP2 = tdP3 = 0.0f;
    dbPkgMfstSummary = DatabasePackageManifestSummary();
}

void CopperCable::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperCable);
    h.serialize(w);
    w.write(name);
    nvp.serialize(w);
    w.write(impedance);
    w.write(static_cast<uint8_t>(copperShield));
    w.write(static_cast<uint8_t>(catId));
    w.write(tdLossTan);
    w.write(tdP0);
    w.write(tdP1);
    w.write(tdP2);
    w.write(tdP3);
    dbPkgMfstSummary.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperCable::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperCable)) return st;
    clear();
    r.read(name);
    if (auto st = nvp.deserialize(r); st != Marshal::ok) return st;
    uint8_t shield = 0, cat = 0;
    r.read(impedance);
    r.read(shield);
    r.read(cat);
    copperShield = static_cast<Shield>(shield);
    catId = static_cast<CatId>(cat);
    r.read(tdLossTan);
    r.read(tdP0);
    r.read(tdP1);
    r.read(tdP2);
    r.read(tdP3);
    if (r.failed()) return Marshal::readError;
    if (auto st = dbPkgMfstSummary.deserialize(r); st != Marshal::ok) return st;
    // Versions are compared as numbers: "V10.2" is newer than "V7.1".
    if (catId == CatId::cat8 && dbVersionBelow(dbPkgMfstSummary.getVersionString(), 7, 1)) catId = CatId::coax;
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void CopperCable::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperCable::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["name"] = name;
    o["nvp"] = nvp.toString();
    o["impedance"] = impedance;
    o["copperShield"] = toString(copperShield);
    o["catId"] = toString(catId);
    o["tdLossTan"] = JsonUtil::jsonNumber(tdLossTan);
    o["tdP0"] = JsonUtil::jsonNumber(tdP0);
    o["tdP1"] = JsonUtil::jsonNumber(tdP1);
    o["tdP2"] = JsonUtil::jsonNumber(tdP2);
    o["tdP3"] = JsonUtil::jsonNumber(tdP3);
    o["dbPkgMfstSummary"] = dbPkgMfstSummary.toJson(flags);
    return o;
}

Json::Value CopperCable::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperCable"] = jsonBody(flags);
    return root;
}

}  // namespace Kestrix
