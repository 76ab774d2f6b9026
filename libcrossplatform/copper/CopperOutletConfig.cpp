#include "copper/CopperOutletConfig.h"

#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "serialization/TypeIds.h"

namespace Kestrix {

void CopperOutletConfigArtifact::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(srcWirePair));
    w.write(static_cast<uint8_t>(rcvWirePair));
    w.write(wire1Color);
    w.write(wire2Color);
    w.write(wire1IsDashed);
    w.write(wire2IsDashed);
}

Marshal::StreamOpStatus CopperOutletConfigArtifact::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version != kVersion) return Marshal::versionTooNew;
    uint8_t src = 0;
    uint8_t rcv = 0;
    uint8_t dashed1 = 0;
    uint8_t dashed2 = 0;
    r.read(src);
    r.read(rcv);
    r.read(wire1Color);
    r.read(wire2Color);
    r.read(dashed1);
    r.read(dashed2);
    srcWirePair = static_cast<WirePair>(src);
    rcvWirePair = static_cast<WirePair>(rcv);
    wire1IsDashed = dashed1 != 0;
    wire2IsDashed = dashed2 != 0;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

Json::Value CopperOutletConfigArtifact::jsonBody(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["srcWirePair"] = toString(srcWirePair);
    j["rcvWirePair"] = toString(rcvWirePair);
    j["wire1Color"] = Json::UInt(wire1Color);
    j["wire2Color"] = Json::UInt(wire2Color);
    j["wire1IsDashed"] = wire1IsDashed;
    j["wire2IsDashed"] = wire2IsDashed;
    return j;
}

Json::Value CopperOutletConfigArtifact::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperOutletConfigArtifact"] = jsonBody(flags);
    return j;
}

void CopperOutletConfigArtifact::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

void CopperOutletConfig::reset() {
    name.clear();
    pinSwap = false;
    artifacts.clear();
}

bool CopperOutletConfig::isPairUsed(WirePair p) const { return artifactFor(p) != nullptr; }

const CopperOutletConfigArtifact* CopperOutletConfig::artifactFor(WirePair p) const {
    for (const CopperOutletConfigArtifact& a : artifacts)
        if (a.srcWirePair == p) return &a;
    return nullptr;
}

void CopperOutletConfig::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperOutletConfig);
    h.serialize(w);
    w.write(name);
    w.write(pinSwap);
    w.write(static_cast<uint32_t>(artifacts.size()));
    for (const CopperOutletConfigArtifact& a : artifacts) a.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperOutletConfig::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperOutletConfig)) return st;
    reset();
    r.read(name);
    uint8_t swap = 0;
    r.read(swap);
    pinSwap = swap != 0;
    if (auto st = Marshal::readList<uint32_t>(r, artifacts, CopperOutletConfigArtifact::kWireSize)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

Json::Value CopperOutletConfig::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "CopperOutletConfig";
    j["_classVersion"] = Marshal::TypeIds::CopperOutletConfig.version;
    j["name"] = name;
    if (flags.detail == 0) return j;
    j["pinSwap"] = pinSwap;
    Json::Value arr(Json::arrayValue);
    for (const CopperOutletConfigArtifact& a : artifacts) arr.append(a.jsonBody(flags));
    j["artifacts"] = arr;
    return j;
}

Json::Value CopperOutletConfig::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperOutletConfig"] = jsonBody(flags);
    return j;
}

void CopperOutletConfig::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
