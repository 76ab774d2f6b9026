#include "copper/CopperFreqLimit.h"

#include <utility>

#include "copper/CopperUtil.h"
#include "serialization/Assert.h"
#include "serialization/CountedList.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
// An accuracy point: int32 kHz and float dB.
constexpr size_t kAccPointWireSize = sizeof(int32_t) + sizeof(float);
}  // namespace

void CopperFreqLimit::clear() {
    freqLimitType = CopperFreqLimitType::NONE;
    isInfoOnly = false;
    limitCurve.clear();
    accPoints.clear();
    limitEquation.clear();
    pair = PairCombo::any;
}

float CopperFreqLimit::getDbFromIndex(unsigned index) const {
    KX_ASSERT(index < limitCurve.size());
    return static_cast<float>(limitCurve[index] / 10.0);
}

float CopperFreqLimit::accuracyAt(int32_t f) const {
    const size_t n = accPoints.size();
    for (size_t k = 1; k < n; ++k) {
        const AccPoint& a = accPoints[k - 1];
        const AccPoint& b = accPoints[k];
        if (f == a.kHz) return a.db;
        if (f < b.kHz) {
            const double span = static_cast<double>(b.kHz) - a.kHz;
            // Breakpoints at one frequency: no line between them.
            if (span == 0.0) return a.db;
            const double t = (static_cast<double>(f) - a.kHz) / span;
            return static_cast<float>(a.db + t * (static_cast<double>(b.db) - a.db));
        }
    }
    if (n > 0 && f == accPoints[n - 1].kHz) return accPoints[n - 1].db;
    if (n == 1) return accPoints[0].db;
    return 0.0f;
}

void CopperFreqLimit::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint16_t>(freqLimitType));
    w.write(isInfoOnly);
    writePackedCurve(w, limitCurve);
    w.write(static_cast<uint32_t>(accPoints.size()));
    for (const AccPoint& p : accPoints) {
        w.write(p.kHz);
        w.write(p.db);
    }
    w.write(limitEquation);
    w.write(static_cast<uint16_t>(pair));
}

Marshal::StreamOpStatus CopperFreqLimit::deserialize(Marshal::IObjectReader& r) {
    clear();
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    freqLimitType = Marshal::readEnum<CopperFreqLimitType, uint16_t>(r);
    uint8_t info = 0;
    r.read(info);
    isInfoOnly = info != 0;
    if (r.failed()) return Marshal::readError;
    if (auto st = readPackedCurve(r, limitCurve)) return st;
    auto readPoint = [](Marshal::IObjectReader& in, AccPoint& p) {
        in.read(p.kHz);
        in.read(p.db);
    };
    if (auto st = Marshal::readList<uint32_t>(r, accPoints, kAccPointWireSize, readPoint)) return st;
    if (version >= 1) {
        r.read(limitEquation);
        pair = Marshal::readEnum<PairCombo, uint16_t>(r);
    }
    return r.failed() ? Marshal::readError : Marshal::ok;
}

Json::Value CopperFreqLimit::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "CopperFreqLimit";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["freqLimitType"] = toString(freqLimitType);
    j["isInfoOnly"] = isInfoOnly;
    Json::Value curve(Json::arrayValue);
    const size_t n = limitCurve.size();
    if (n <= kJsonFullCurvePoints || flags.detail >= 2) {
        for (int16_t s : limitCurve) curve.append(s);
    } else {
        for (size_t i = 0; i < 4; ++i) curve.append(limitCurve[i]);
        curve.append("...");
        for (size_t i = n - 4; i < n; ++i) curve.append(limitCurve[i]);
    }
    j["limitCurve"] = std::move(curve);
    Json::Value acc(Json::arrayValue);
    for (const AccPoint& p : accPoints) {
        Json::Value e(Json::objectValue);
        e["kHz"] = p.kHz;
        e["db"] = static_cast<double>(p.db);
        acc.append(e);
    }
    j["accPoints"] = acc;
    j["limitEquation"] = limitEquation;
    j["pair"] = toString(pair);
    return j;
}

Json::Value CopperFreqLimit::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperFreqLimit"] = jsonBody(flags);
    return j;
}

void CopperFreqLimit::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
