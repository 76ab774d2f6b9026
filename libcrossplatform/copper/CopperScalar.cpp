#include "copper/CopperScalar.h"

#include <sstream>

#include "serialization/JsonText.h"

namespace Kestrix {

const char* toString(ScalarQualifier q) {
    switch (q) {
        case ScalarQualifier::normal: return "normal";
        case ScalarQualifier::endNotFound: return "endnotfound";
        case ScalarQualifier::open: return "open";
        case ScalarQualifier::testNotRun: return "testnotrun";
        case ScalarQualifier::tooShort: return "too short";
        case ScalarQualifier::tooLong: return "too long";
    }
    return "";
}

void CopperScalar::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint16_t>(copperTestType));
    w.write(static_cast<uint8_t>(cableEnd));
    w.write(static_cast<uint8_t>(wirePair));
    w.write(static_cast<uint8_t>(status));
    w.write(static_cast<uint8_t>(qualifier));
    w.write(value);
    w.write(static_cast<int8_t>(scaledTo));
    limitMax.serialize(w);
    limitMin.serialize(w);
    w.write(static_cast<uint8_t>(wirePair2));
}

Marshal::StreamOpStatus CopperScalar::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    uint16_t type = 0;
    uint8_t b[4] = {};
    r.read(type);
    r.read(b, 4);
    r.read(value);
    int8_t scale = 1;
    r.read(scale);
    if (r.failed()) return Marshal::readError;
    // The scale later drives ScaledInt arithmetic, which only knows these six.
    if (!ScaledInt::validScale(scale)) return Marshal::invalidData;
    copperTestType = static_cast<CopperTestType>(type);
    cableEnd = static_cast<CableEnd>(b[0]);
    wirePair = static_cast<WirePair>(b[1]);
    status = static_cast<Status>(b[2]);
    qualifier = static_cast<ScalarQualifier>(b[3]);
    scaledTo = static_cast<ScaledInt::ScaledTo>(scale);
    if (auto st = limitMax.deserialize(r)) return st;
    if (auto st = limitMin.deserialize(r)) return st;
    wirePair2 = WirePair::notset;
    if (version >= 1) {
        uint8_t p2 = 0;
        r.read(p2);
        wirePair2 = static_cast<WirePair>(p2);
    }
    return r.failed() ? Marshal::readError : Marshal::ok;
}

Json::Value CopperScalar::jsonBody(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["copperTestType"] = toString(copperTestType);
    j["cableEnd"] = cableEndDisplayText(cableEnd);
    j["wirePair"] = toString(wirePair);
    j["wirePair2"] = toString(wirePair2);
    j["qualifier"] = toString(qualifier);
    std::ostringstream v;
    v << value;
    j["value"] = v.str();
    j["scaledTo"] = toString(scaledTo);
    j["status"] = toString(status);
    j["limitMax"] = limitMax.toString();
    j["limitMin"] = limitMin.toString();
    return j;
}

Json::Value CopperScalar::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperScalar"] = jsonBody(flags);
    return j;
}

void CopperScalar::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
