#include "fiber/FiberLossLengthPerDirectionWl.h"

#include <limits>

#include "common/jsonutil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/IFormatter.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

const char* toString(LightSourceType t) {
    switch (t) {
        case LightSourceType::none: return "none";
        case LightSourceType::laser: return "laser";
        case LightSourceType::led: return "led";
        case LightSourceType::vcsel: return "vcsel";
    }
    return "";
}

ToleranceMeas FiberLossLengthTestPerDirectionWl::lossTolMeas() const {
    const float tol = 2.0f / power.dBmDisplay.scalingValue();
    return ToleranceMeas(dB(), power.diplayType(), tol, tol);
}

const FiberCheckLimitResult* FiberLossLengthTestPerDirectionWl::getMaxLossCheckLimitResult() const {
    return limitResults.get(FiberLimitValueType::maxOverallLoss);
}

const FiberCheckLimitResult* FiberLossLengthTestPerDirectionWl::getMinLossCheckLimitResult() const {
    return limitResults.get(FiberLimitValueType::minOverallLoss);
}

void FiberLossLengthTestPerDirectionWl::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(direction));
    w.write(wavelength);
    w.write(static_cast<uint8_t>(lightSourceType));
    power.serialize(w);
    refPower.serialize(w);
    limitResults.serialize(w);
    w.write(_minRange);
    w.write(_maxRange);
}

Marshal::StreamOpStatus FiberLossLengthTestPerDirectionWl::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    direction = Marshal::readEnum<CableEnd>(r);
    r.read(wavelength);
    lightSourceType = Marshal::readEnum<LightSourceType>(r);
    if (auto st = power.deserialize(r)) return st;
    if (auto st = refPower.deserialize(r)) return st;
    if (auto st = limitResults.deserialize(r)) return st;
    _minRange = _maxRange = std::numeric_limits<float>::quiet_NaN();
    if (version >= 1) {
        r.read(_minRange);
        r.read(_maxRange);
    }
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberLossLengthTestPerDirectionWl::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("direction", cableEndText(direction));
    f.write("wavelength", wavelength);
    f.write("lightSourceType", toString(lightSourceType));
    f.write("loss", lossTolMeas().fullText());
    f.line("power");
    f.indent();
    power.dump(f, flags);
    f.unindent();
    f.line("refPower");
    f.indent();
    refPower.dump(f, flags);
    f.unindent();
    limitResults.dump(f, flags);
}

Json::Value FiberLossLengthTestPerDirectionWl::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberLossLengthTestPerDirectionWl";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["direction"] = cableEndText(direction);
    j["wavelength"] = wavelength;
    j["lightSourceType"] = toString(lightSourceType);
    j["loss"] = lossTolMeas().fullText();
    j["power"] = power.toJson(flags);
    j["refPower"] = refPower.toJson(flags);
    j["maxLossLimitResult"] = Kestrix::toJson(getMaxLossCheckLimitResult(), flags);
    j["minLossLimitResult"] = Kestrix::toJson(getMinLossCheckLimitResult(), flags);
    j["_minRange"] = JsonUtil::jsonNumber(_minRange);
    j["_maxRange"] = JsonUtil::jsonNumber(_maxRange);
    return j;
}

}  // namespace Kestrix
