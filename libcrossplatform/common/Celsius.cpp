#include "common/Celsius.h"

#include "common/ScaledInt.h"

namespace Kestrix {

namespace {
constexpr int16_t kNoValue = -32768;
}

std::string Celsius::toString() const { return ScaledInt(degrees, ScaledInt::hundredths).toString(); }

void Celsius::serialize(Marshal::IObjectWriter& w) const {
    if (degrees != degrees) {
        w.write(kNoValue);
        return;
    }
    float t = degrees * 100.0f;
    t = degrees >= 0 ? t + 0.5f : t - 0.5f;
    int16_t stored;
    if (t >= 32767.0f)
        stored = 32767;
    else if (t <= -32767.0f)
        stored = -32767;
    else
        stored = static_cast<int16_t>(t);
    w.write(stored);
}

Marshal::StreamOpStatus Celsius::deserialize(Marshal::IObjectReader& r) {
    int16_t stored = 0;
    if (!r.read(stored)) {
        degrees = std::numeric_limits<float>::quiet_NaN();
        return Marshal::readError;
    }
    degrees = stored == kNoValue ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(stored) * 0.01f;
    return Marshal::ok;
}

void Celsius::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { f.write("celsius ", toString()); }

Json::Value Celsius::toJson(const Dump::DumpFlags&) const { return Json::Value(toString()); }

}  // namespace Kestrix
