#include "fiber/FiberLimitValues.h"

#include <cmath>
#include <limits>

#include "fiber/FiberJsonUtil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/IFormatter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
// A stored value: its type byte, then the value.
constexpr size_t kValueEntryWireSize = 1 + ScaledInt::kWireSize;
}  // namespace

bool FiberLimitValues::operator==(const FiberLimitValues& o) const {
    if (wavelength != o.wavelength || supportedCategories != o.supportedCategories || values.size() != o.values.size())
        return false;
    for (auto a = values.begin(), b = o.values.begin(); a != values.end(); ++a, ++b)
        if (a->first != b->first || a->second.value != b->second.value || a->second.scaledTo != b->second.scaledTo)
            return false;
    return true;
}

ScaledInt FiberLimitValues::getValue(FiberLimitValueType type) const {
    auto it = values.find(type);
    return it != values.end() ? it->second : ScaledInt::nan(ScaledInt::ones);
}

LossBudgetParts FiberLimitValues::getOltsLengthBasedLossBudgetParts(unsigned n, unsigned splices, ScaledInt totalBudget,
                                                                    FiberLLRefMethod method) const {
    const ScaledInt cLimit = getValue(FiberLimitValueType::maxConnectorLoss);
    const ScaledInt sLimit = getValue(FiberLimitValueType::maxSpliceLoss);
    const ScaledInt aLimit = getValue(FiberLimitValueType::maxOverallAttenCoef);
    const float C = cLimit.toFloat();
    const float S = sLimit.toFloat();
    const float T = getValue(FiberLimitValueType::maxTestConnectorLoss).toFloat();
    const float R = getValue(FiberLimitValueType::maxRefConnectorLoss).toFloat();
    const auto m = static_cast<int32_t>(method);

    unsigned t = 0, k = 0, r = 0;
    float connectorPart = 0;
    float testRefPart = std::numeric_limits<float>::quiet_NaN();
    if (!std::isnan(T) && !std::isnan(R)) {
        if (m == 8) {  // 2 jumper method: one ordinary connector is still counted for a single connector
            if (n >= 2)
                t = 2, k = n - 2, r = 1;
            else if (n == 1)
                t = 1, k = 1, r = 0;
        } else if (m == 9) {  // 3 jumper method
            if (n >= 2)
                t = 2, k = n - 2, r = 2;
            else if (n == 1)
                t = 1, k = 0, r = 1;
        } else if ((m >= 0 && m <= 7) || m == 10) {
            if (n >= 2)
                t = 2, k = n - 2;
            else if (n == 1)
                t = 1, k = 0;
        } else {
            k = n;
        }
        connectorPart = static_cast<float>(t) * T + static_cast<float>(k) * C - static_cast<float>(r) * R;
        testRefPart = static_cast<float>(t) * T - static_cast<float>(r) * R;
    } else {
        if (m == 8)
            k = n < 2 ? 0 : n - 1;
        else if (m == 9)
            k = n <= 2 ? 0 : n - 2;
        else
            k = n;
        connectorPart = static_cast<float>(k) * C;
    }
    const float splicePart = static_cast<float>(splices) * S;

    LossBudgetParts p;
    const auto scale = totalBudget.scaledTo;
    p.connectorLoss = ScaledInt(connectorPart, scale);
    p.spliceLoss = ScaledInt(splicePart, scale);
    p.testRefConnectorLoss = ScaledInt(testRefPart, scale);
    p.fiberLoss = ScaledInt(totalBudget.toFloat() - splicePart - connectorPart, scale);
    p.connectorCount = k;
    p.connectorLossLimit = cLimit;
    p.spliceLossLimit = sLimit;
    p.attenuationCoefLimit = aLimit;
    p.totalLossBudget = totalBudget;
    return p;
}

void FiberLimitValues::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(wavelength);
    const uint8_t nCategories = Marshal::writeCount<uint8_t>(w, supportedCategories.size());
    auto category = supportedCategories.begin();
    for (uint8_t i = 0; i < nCategories; ++i, ++category) w.write(static_cast<uint8_t>(*category));
    const uint8_t nValues = Marshal::writeCount<uint8_t>(w, values.size());
    auto value = values.begin();
    for (uint8_t i = 0; i < nValues; ++i, ++value) {
        w.write(static_cast<uint8_t>(value->first));
        value->second.serialize(w);
    }
}

Marshal::StreamOpStatus FiberLimitValues::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    supportedCategories.clear();
    values.clear();
    r.read(wavelength);
    auto readCategory = [this](Marshal::IObjectReader& in) {
        supportedCategories.insert(Marshal::readEnum<FiberCategory>(in));
    };
    if (auto st = Marshal::readEach<uint8_t>(r, 1, readCategory)) return st;
    auto readValue = [this](Marshal::IObjectReader& in) {
        const auto type = Marshal::readEnum<FiberLimitValueType>(in);
        ScaledInt v;
        if (auto st = v.deserialize(in)) return st;
        values.emplace(type, v);
        return Marshal::ok;
    };
    if (auto st = Marshal::readEach<uint8_t>(r, kValueEntryWireSize, readValue)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberLimitValues::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FiberLimitValues::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["wavelength"] = wavelength;
    Json::Value cats(Json::arrayValue);
    for (auto c : supportedCategories) cats.append(toString(c));
    j["supportedCategories"] = cats;
    Json::Value vals(Json::objectValue);
    for (const auto& [type, value] : values) vals[toString(type)] = value.toString();
    j["values"] = vals;
    return FiberJson::wrap("FiberLimitValues", j);
}

}  // namespace Kestrix
