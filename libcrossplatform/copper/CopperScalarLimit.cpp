#include "copper/CopperScalarLimit.h"

#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

void CopperScalarLimit::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(type));
    w.write(isInfoOnly);
    maxValue.serialize(w);
    minValue.serialize(w);
}

Marshal::StreamOpStatus CopperScalarLimit::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    type = Marshal::readEnum<CopperScalarLimitType>(r);
    uint8_t info = 0;
    r.read(info);
    isInfoOnly = info != 0;
    if (auto st = maxValue.deserialize(r)) return st;
    if (auto st = minValue.deserialize(r)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

Json::Value CopperScalarLimit::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "CopperScalarLimit";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["type"] = toString(type);
    j["isInfoOnly"] = isInfoOnly;
    j["minValue"] = minValue.toString();
    j["maxValue"] = maxValue.toString();
    return j;
}

Json::Value CopperScalarLimit::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperScalarLimit"] = jsonBody(flags);
    return j;
}

void CopperScalarLimit::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
