#include "fiber/FiberPower.h"

#include <cmath>

#include "common/jsonutil.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

FiberPower::FiberPower(float dBm, ScaledInt::ScaledTo dBmResolution, uint8_t units, ScaledInt::ScaledTo wattResolution)
    : dBmValue(dBm), dBmDisplay(dBm, dBmResolution), wattUnits(units), _watts(ScaledInt::nan(wattResolution)) {}

DisplayType FiberPower::diplayType() const { return dBmDisplay.isFinite() ? DisplayType::normal : DisplayType::dashes; }

const ScaledInt& FiberPower::watts() const {
    if (_watts.isNaN() && !dBmDisplay.isNaN()) {
        float p = static_cast<float>(std::pow(10.0, 0.1 * static_cast<double>(dBmValue)));
        for (uint8_t u = wattUnits; u > 1; --u) p *= 1000.0f;
        _watts = ScaledInt(p, _watts.scaledTo);
    }
    return _watts;
}

void FiberPower::serialize(Marshal::IObjectWriter& w) const {
    w.write(dBmValue);
    w.write(static_cast<int8_t>(dBmDisplay.scaledTo));
    w.write(wattUnits);
    w.write(static_cast<int8_t>(_watts.scaledTo));
}

Marshal::StreamOpStatus FiberPower::deserialize(Marshal::IObjectReader& r) {
    int8_t dBmRes = 0;
    int8_t wattRes = 0;
    r.read(dBmValue);
    r.read(dBmRes);
    r.read(wattUnits);
    r.read(wattRes);
    if (r.failed()) return Marshal::readError;
    // Resolutions outside the six known ones would reach the value's assertions later.
    if (!ScaledInt::validScale(dBmRes) || !ScaledInt::validScale(wattRes)) return Marshal::invalidData;
    dBmDisplay = ScaledInt(dBmValue, static_cast<ScaledInt::ScaledTo>(dBmRes));
    _watts = ScaledInt::nan(static_cast<ScaledInt::ScaledTo>(wattRes));
    return Marshal::ok;
}

void FiberPower::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("dBm", dBmDisplay.toString());
    f.write("watts", watts().toString());
    f.write("wattUnits", wattUnits);
}

Json::Value FiberPower::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberPower";
    j["_classVersion"] = 0;
    if (flags.detail == 0) return j;
    j["dBm"] = JsonUtil::jsonNumber(dBmValue);
    j["dBmDisplay"] = dBmDisplay.toString();
    j["wattDisplay"] = watts().toString();
    j["wattUnits"] = wattUnits;
    return j;
}

}  // namespace Kestrix
