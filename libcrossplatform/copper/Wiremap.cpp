#include "copper/Wiremap.h"

#include "copper/CopperTrace.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
constexpr uint8_t kArtifactVersion = 0;

void writeWord(Marshal::IObjectWriter& w, int32_t v) { w.write(static_cast<uint16_t>(v)); }

int num(Pin p) { return static_cast<int>(p); }
int num(WirePair p) { return static_cast<int>(p); }

// Each list is a uint32 count and fixed-size entries.
template <typename T>
Marshal::StreamOpStatus readList(Marshal::IObjectReader& r, std::vector<T>& out) {
    return Marshal::readList<uint32_t>(r, out, T::kWireSize);
}

template <typename T>
void writeList(Marshal::IObjectWriter& w, const std::vector<T>& list) {
    Marshal::writeList<uint32_t>(w, list);
}

template <typename T>
Json::Value jsonList(const std::vector<T>& list) {
    Json::Value arr(Json::arrayValue);
    for (const T& a : list) arr.append(a.toJson());
    return arr;
}
}  // namespace

void WiremapArtifactSplitPair::serialize(Marshal::IObjectWriter& w) const {
    w.write(kArtifactVersion);
    writeWord(w, num(pair1));
    writeWord(w, num(pair2));
    lengthFromMain.serialize(w);
    lengthFromRemote.serialize(w);
}

Marshal::StreamOpStatus WiremapArtifactSplitPair::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    r.read(version);
    pair1 = Marshal::readEnum<WirePair, uint16_t>(r);
    pair2 = Marshal::readEnum<WirePair, uint16_t>(r);
    if (r.failed()) return Marshal::readError;
    CopperTrace::info("WiremapArtifactSplitPair::", "pair1 = %d, pair2 = %d", num(pair1), num(pair2));
    if (auto st = lengthFromMain.deserialize(r)) return st;
    return lengthFromRemote.deserialize(r);
}

Json::Value WiremapArtifactSplitPair::toJson() const {
    Json::Value j(Json::objectValue);
    j["pair1"] = toString(pair1);
    j["pair2"] = toString(pair2);
    j["lengthFromMain"] = lengthFromMain.toString();
    j["lengthFromRemote"] = lengthFromRemote.toString();
    return j;
}

void WiremapArtifactConnected::serialize(Marshal::IObjectWriter& w) const {
    w.write(kArtifactVersion);
    writeWord(w, num(mainPin));
    writeWord(w, num(remotePin));
}

Marshal::StreamOpStatus WiremapArtifactConnected::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    r.read(version);
    mainPin = Marshal::readEnum<Pin, uint16_t>(r);
    remotePin = Marshal::readEnum<Pin, uint16_t>(r);
    if (r.failed()) return Marshal::readError;
    CopperTrace::info("WiremapArtifactConnected::", "mainPin = %d, remotePin = %d", num(mainPin), num(remotePin));
    return Marshal::ok;
}

Json::Value WiremapArtifactConnected::toJson() const {
    Json::Value j(Json::objectValue);
    j["mainPin"] = toString(mainPin);
    j["remotePin"] = toString(remotePin);
    return j;
}

void WiremapArtifactOpen::serialize(Marshal::IObjectWriter& w) const {
    w.write(kArtifactVersion);
    writeWord(w, static_cast<int32_t>(cableEnd));
    writeWord(w, num(pin));
    lengthToOpen.serialize(w);
}

Marshal::StreamOpStatus WiremapArtifactOpen::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    r.read(version);
    cableEnd = Marshal::readEnum<CableEnd, uint16_t>(r);
    pin = Marshal::readEnum<Pin, uint16_t>(r);
    if (r.failed()) return Marshal::readError;
    CopperTrace::info("WiremapArtifactOpen::", "end = %s, pin = %d", cableEndDisplayText(cableEnd), num(pin));
    return lengthToOpen.deserialize(r);
}

Json::Value WiremapArtifactOpen::toJson() const {
    Json::Value j(Json::objectValue);
    j["cableEnd"] = toString(cableEnd);
    j["pin"] = toString(pin);
    j["lengthToOpen"] = lengthToOpen.toString();
    return j;
}

void WiremapArtifactShort::serialize(Marshal::IObjectWriter& w) const {
    w.write(kArtifactVersion);
    writeWord(w, static_cast<int32_t>(cableEnd));
    writeWord(w, num(pin1));
    writeWord(w, num(pin2));
    lengthToShort.serialize(w);
}

Marshal::StreamOpStatus WiremapArtifactShort::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    r.read(version);
    cableEnd = Marshal::readEnum<CableEnd, uint16_t>(r);
    pin1 = Marshal::readEnum<Pin, uint16_t>(r);
    pin2 = Marshal::readEnum<Pin, uint16_t>(r);
    if (r.failed()) return Marshal::readError;
    CopperTrace::info("WiremapArtifactShort::", "end = %s, pin1 = %d, pin2 = %d", cableEndDisplayText(cableEnd),
                      num(pin1), num(pin2));
    return lengthToShort.deserialize(r);
}

Json::Value WiremapArtifactShort::toJson() const {
    Json::Value j(Json::objectValue);
    j["cableEnd"] = toString(cableEnd);
    j["pin1"] = toString(pin1);
    j["pin2"] = toString(pin2);
    j["lengthToShort"] = lengthToShort.toString();
    return j;
}

void Wiremap::reset() {
    status = Status::show;
    isNearBadPatch = false;
    isFarBadPatch = false;
    isAcMap = false;
    isDisplayByPairs = false;
    splitPairs.clear();
    connections.clear();
    opens.clear();
    shorts.clear();
}

bool Wiremap::isPinUsed(Pin pin) const {
    bool used = false;
    for (const WiremapArtifactConnected& c : connections) used = used || c.mainPin == pin || c.remotePin == pin;
    for (const WiremapArtifactOpen& o : opens) used = used || o.pin == pin;
    for (const WiremapArtifactShort& s : shorts) used = used || s.pin1 == pin || s.pin2 == pin;
    CopperTrace::info("Wiremap::", "pin = %d, used = %s", num(pin), used ? "true" : "false");
    return used;
}

void Wiremap::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::Wiremap);
    h.serialize(w);
    w.write(static_cast<uint16_t>(status));
    w.write(isNearBadPatch);
    w.write(isFarBadPatch);
    w.write(isAcMap);
    w.write(isDisplayByPairs);
    writeList(w, splitPairs);
    writeList(w, connections);
    writeList(w, opens);
    writeList(w, shorts);
    h.finishWrite(w);
}

Marshal::StreamOpStatus Wiremap::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::Wiremap)) return st;
    reset();
    status = Marshal::readEnum<Status, uint16_t>(r);
    uint8_t flags[4] = {};
    r.read(flags, 4);
    isNearBadPatch = flags[0] != 0;
    isFarBadPatch = flags[1] != 0;
    isAcMap = flags[2] != 0;
    isDisplayByPairs = flags[3] != 0;
    if (r.failed()) return h.finishRead(r, Marshal::readError);
    if (auto st = readList(r, splitPairs)) return h.finishRead(r, st);
    if (auto st = readList(r, connections)) return h.finishRead(r, st);
    if (auto st = readList(r, opens)) return h.finishRead(r, st);
    if (auto st = readList(r, shorts)) return h.finishRead(r, st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

Json::Value Wiremap::jsonBody(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["status"] = toString(status);
    j["isNearBadPatch"] = isNearBadPatch;
    j["isFarBadPatch"] = isFarBadPatch;
    j["isAcMap"] = isAcMap;
    j["isDisplayByPairs"] = isDisplayByPairs;
    j["splitPairArtifacts"] = jsonList(splitPairs);
    j["connectedArtifacts"] = jsonList(connections);
    j["openArtifacts"] = jsonList(opens);
    j["shortArtifacts"] = jsonList(shorts);
    return j;
}

Json::Value Wiremap::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["Wiremap"] = jsonBody(flags);
    return j;
}

void Wiremap::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
