#include "copper/CopperFreq.h"

#include "serialization/JsonText.h"

namespace Kestrix {

namespace {
ScaledInt margin(CopperTestType type, const ScaledInt& v, const ScaledInt& l) {
    if (type == CopperTestType::il) return l - v;
    return v - l;
}
}  // namespace

ScaledInt CopperFreq::getWmMargin() const {
    if (testType == CopperTestType::tdr) return wvLimit - wvValue.abs();
    return margin(testType, wmValue, wmLimit);
}

ScaledInt CopperFreq::getWvMargin() const {
    if (testType == CopperTestType::tdr) return wvLimit - wvValue.abs();
    return margin(testType, wvValue, wvLimit);
}

ScaledInt CopperFreq::getWmDistance() const {
    return ScaledInt::raw(testType == CopperTestType::tdr ? wmLocation : 0, ScaledInt::tenths);
}

ScaledInt CopperFreq::getWvDistance() const {
    return ScaledInt::raw(testType == CopperTestType::tdr ? wvLocation : 0, ScaledInt::tenths);
}

void CopperFreq::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(testType));
    w.write(static_cast<uint8_t>(cableEnd));
    w.write(static_cast<uint8_t>(srcPair));
    w.write(static_cast<uint8_t>(rcvPair));
    w.write(static_cast<uint8_t>(status));
    wmValue.serialize(w);
    wmLimit.serialize(w);
    w.write(wmLocation);
    wvValue.serialize(w);
    wvLimit.serialize(w);
    w.write(wvLocation);
    w.write(static_cast<uint8_t>(limitType));
}

Marshal::StreamOpStatus CopperFreq::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version != kVersion) return Marshal::versionTooNew;
    uint8_t b[5] = {};
    r.read(b, 5);
    testType = static_cast<CopperTestType>(b[0]);
    cableEnd = static_cast<CableEnd>(b[1]);
    srcPair = static_cast<WirePair>(b[2]);
    rcvPair = static_cast<WirePair>(b[3]);
    status = static_cast<Status>(b[4]);
    if (auto st = wmValue.deserialize(r)) return st;
    if (auto st = wmLimit.deserialize(r)) return st;
    r.read(wmLocation);
    if (auto st = wvValue.deserialize(r)) return st;
    if (auto st = wvLimit.deserialize(r)) return st;
    r.read(wvLocation);
    uint8_t lt = 0;
    r.read(lt);
    limitType = static_cast<CopperFreqLimitType>(lt);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

Json::Value CopperFreq::jsonBody(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    const bool tdr = testType == CopperTestType::tdr;
    j["testType"] = toString(testType);
    j["cableEnd"] = toString(cableEnd);
    j["srcPair"] = toString(srcPair);
    j["rcvPair"] = toString(rcvPair);
    j["status"] = toString(status);
    j["worstMarginValue"] = wmValue.toString();
    j["worstMarginLimit"] = wmLimit.toString();
    j["worstMarginMHz"] = tdr ? 0.0 : wmLocation / 1000.0;
    j["worstMarginIndex"] = Json::UInt(tdr ? 0u : static_cast<uint32_t>(wmLocation));
    j["worstMarginMeters"] = getWmDistance().toString();
    j["worstValueValue"] = wvValue.toString();
    j["worstValueLimit"] = wvLimit.toString();
    j["worstValueMHz"] = tdr ? 0.0 : wvLocation / 1000.0;
    j["worstValueIndex"] = Json::UInt(tdr ? 0u : static_cast<uint32_t>(wvLocation));
    j["worstValueMeters"] = getWvDistance().toString();
    j["limitType"] = toString(limitType);
    return j;
}

Json::Value CopperFreq::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperFreq"] = jsonBody(flags);
    return j;
}

void CopperFreq::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
