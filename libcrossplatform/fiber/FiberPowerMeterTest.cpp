#include "fiber/FiberPowerMeterTest.h"

#include <algorithm>

#include "common/jsonutil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

namespace {

ScaledInt difference(const FiberPower& ref, const FiberPower& p) {
    return ScaledInt(ref.dBmDisplay.toFloat() - p.dBmDisplay.toFloat(), p.dBmDisplay.scaledTo);
}

}  // namespace

ScaledInt FiberPowerMeterPerWl::dB() const { return difference(refPower, power); }
ScaledInt FiberPowerMeterPerWl::maxdB() const { return difference(refPower, minPower); }
ScaledInt FiberPowerMeterPerWl::mindB() const { return difference(refPower, maxPower); }

void FiberPowerMeterPerWl::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(wavelength);
    refPower.serialize(w);
    power.serialize(w);
    minPower.serialize(w);
    maxPower.serialize(w);
    w.write(_minRange);
    w.write(_maxRange);
}

Marshal::StreamOpStatus FiberPowerMeterPerWl::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    if (version == 0) {
        uint16_t wl = 0;
        r.read(wl);
        wavelength = wl;
    } else {
        r.read(wavelength);
    }
    for (FiberPower* p : {&refPower, &power, &minPower, &maxPower})
        if (auto st = p->deserialize(r)) return st;
    _minRange = _maxRange = std::numeric_limits<float>::quiet_NaN();
    if (version >= 1) {
        r.read(_minRange);
        r.read(_maxRange);
    }
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberPowerMeterPerWl::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("wavelength", wavelength);
    f.write("refPower", refPower.dBm().toString());
    f.write("power", power.dBm().toString());
    f.write("minPower", minPower.dBm().toString());
    f.write("maxPower", maxPower.dBm().toString());
    f.write("loss", dB().toString());
}

Json::Value FiberPowerMeterPerWl::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberPowerMeterPerWl";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["wavelength"] = JsonUtil::jsonNumber(wavelength);
    j["refPower"] = refPower.toJson(flags);
    j["power"] = power.toJson(flags);
    j["minPower"] = minPower.toJson(flags);
    j["maxPower"] = maxPower.toJson(flags);
    j["loss"] = dB().toString();
    j["_minRange"] = JsonUtil::jsonNumber(_minRange);
    j["_maxRange"] = JsonUtil::jsonNumber(_maxRange);
    return j;
}

void FiberPowerMeterTest::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberPowerMeterTest);
    h.serialize(w);
    summary.serialize(w);
    equipmentInfo.serialize(w);
    w.write(gain);
    celsius.serialize(w);
    Marshal::writeList<uint8_t>(w, testPerWlVec);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberPowerMeterTest::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberPowerMeterTest)) return st;
    auto fail = [&](Marshal::StreamOpStatus st) { return h.finishRead(r, st); };
    if (auto st = summary.deserialize(r)) return fail(st);
    if (auto st = equipmentInfo.deserialize(r)) return fail(st);
    r.read(gain);
    if (auto st = celsius.deserialize(r)) return fail(st);
    if (auto st = Marshal::readList<uint8_t>(r, testPerWlVec, FiberPowerMeterPerWl::kMinWireSize)) return fail(st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberPowerMeterTest::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberPowerMeterTest");
    f.line("summary");
    f.indent();
    summary.dump(f, flags);
    f.unindent();
    f.line("equipmentInfo");
    f.indent();
    equipmentInfo.dump(f, flags);
    f.unindent();
    f.write("gain", gain);
    f.write("celsius", celsius.toString());
    for (const auto& e : testPerWlVec) {
        f.line("testPerWl");
        f.indent();
        e.dump(f, flags);
        f.unindent();
    }
}

Json::Value FiberPowerMeterTest::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberPowerMeterTest";
    j["_classVersion"] = Marshal::TypeIds::FiberPowerMeterTest.version;
    if (flags.detail == 0) return j;
    j["summary"] = summary.toJson(flags);
    j["equipmentInfo"] = equipmentInfo.toJson(flags);
    j["gain"] = gain;
    j["celsius"] = celsius.toJson(flags);
    Json::Value arr(Json::arrayValue);
    for (const auto& e : testPerWlVec) arr.append(e.toJson(flags));
    j["testPerWlVec"] = arr;
    return j;
}

}  // namespace Kestrix
