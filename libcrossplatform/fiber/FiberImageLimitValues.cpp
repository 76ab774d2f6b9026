#include "fiber/FiberImageLimitValues.h"

#include <tuple>

#include "fiber/FiberReadUtil.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

bool FiberImageLimitValues::operator==(const FiberImageLimitValues& o) const {
    return zone == o.zone && type == o.type && maxFeatureSize == o.maxFeatureSize &&
           allowedFeatures == o.allowedFeatures && comparison == o.comparison;
}

bool FiberImageLimitValues::sortsBefore(const FiberImageLimitValues& o) const {
    if (type != o.type) return type < o.type;
    if (zone != o.zone) return zone < o.zone;
    const bool unboundA = maxFeatureSize < 0;
    const bool unboundB = o.maxFeatureSize < 0;
    if (unboundA != unboundB) return unboundB;
    return maxFeatureSize < o.maxFeatureSize;
}

void FiberImageLimitValues::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(zone));
    w.write(static_cast<uint8_t>(type));
    w.write(comparison);
    w.write(maxFeatureSize);
    w.write(allowedFeatures);
}

Marshal::StreamOpStatus FiberImageLimitValues::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    zone = Marshal::readEnum<FiberImageZone>(r);
    type = Marshal::readEnum<FiberImageFeatureType>(r);
    r.read(comparison);
    r.read(maxFeatureSize);
    r.read(allowedFeatures);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberImageLimitValues::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FiberImageLimitValues::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberImageLimitValues";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["zone"] = toString(zone);
    j["type"] = toString(type);
    j["cmp"] = comparison == 0 ? "<=" : "<";
    j["maxFeatureSize"] = maxFeatureSize;
    j["allowedFeatures"] = allowedFeatures;
    return j;
}

}  // namespace Kestrix
