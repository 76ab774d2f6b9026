#include "FiberLimitEx.h"

#include <algorithm>

#include "ExportSupport.h"
#include "fiber/FiberLimit.h"

using namespace Kestrix;
using ExportSupport::fits;
using ExportSupport::guarded;

namespace {

// Collections of a limit store one-byte counts: an entry the count could no longer hold is refused.
template <typename Collection>
bool hasRoomFor(const Collection& c) {
    return c.size() < std::numeric_limits<uint8_t>::max();
}

}  // namespace

extern "C" {

KxFiberLimit* fiberLimitExFiberLimit(int32_t limitType, const char* name, bool mustUseLaunchComp, bool mustUseTailComp,
                                     bool doLengthBasedLossBudget, bool dontUseNumConsAndSplices,
                                     bool ignoreEventLimitChecking, bool mustTestAllWavelengths, bool no2JumperMethod,
                                     bool isVendorSystemLimit, bool splittersArePassFail,
                                     const KxDatabasePackageManifestSummary* summary) {
    if (!fits<uint8_t>(limitType) || !ExportSupport::storableText(name)) return nullptr;
    return guarded<KxFiberLimit*>(nullptr, [&] {
        return new (std::nothrow)
            FiberLimit(static_cast<FiberLimitType>(limitType), name ? name : "", mustUseLaunchComp, mustUseTailComp,
                       doLengthBasedLossBudget, dontUseNumConsAndSplices, ignoreEventLimitChecking,
                       mustTestAllWavelengths, no2JumperMethod, isVendorSystemLimit, splittersArePassFail,
                       summary ? *summary : DatabasePackageManifestSummary());
    });
}

KxFiberLimitValues* fiberLimitExFiberLimitValues(int32_t wavelength) {
    if (!fits<uint16_t>(wavelength)) return nullptr;
    return guarded<KxFiberLimitValues*>(
        nullptr, [&] { return new (std::nothrow) FiberLimitValues(static_cast<uint16_t>(wavelength)); });
}

void fiberLimitExAddCategory(KxFiberLimitValues* values, int32_t category) {
    if (values == nullptr || !fits<uint8_t>(category)) return;
    const auto c = static_cast<FiberCategory>(category);
    if (values->supportedCategories.count(c) == 0 && !hasRoomFor(values->supportedCategories)) return;
    guarded([&] { values->supportedCategories.insert(c); });
}

void fiberLimitExFiberLimitValuesSetValue(KxFiberLimitValues* values, int32_t type, double value) {
    if (values == nullptr || !fits<uint8_t>(type)) return;
    const auto scale = limitValueDecimalPlaces(type) == 1 ? ScaledInt::tenths : ScaledInt::hundredths;
    const ScaledInt v(static_cast<float>(value), scale);
    const auto key = static_cast<FiberLimitValueType>(type);
    if (v.isNaN()) {
        values->values.erase(key);
        return;
    }
    if (values->values.count(key) == 0 && !hasRoomFor(values->values)) return;
    guarded([&] { values->values[key] = v; });
}

void fiberLimitExAddFiberLimitValues(KxFiberLimit* limit, const KxFiberLimitValues* values) {
    if (limit == nullptr || values == nullptr) return;
    const bool replaces =
        std::any_of(limit->valuesList.begin(), limit->valuesList.end(), [&](const FiberLimitValues& v) {
            return v.wavelength == values->wavelength && v.supportedCategories == values->supportedCategories;
        });
    if (!replaces && !hasRoomFor(limit->valuesList)) return;
    guarded([&] { limit->addFiberLimitValues(*values); });
}

void fiberLimitExAddSupportedPort(KxFiberLimit* limit, int32_t port) {
    if (limit == nullptr || !fits<uint8_t>(port)) return;
    const auto p = static_cast<FiberPort>(port);
    if (limit->supportedPorts.count(p) == 0 && !hasRoomFor(limit->supportedPorts)) return;
    guarded([&] { limit->supportedPorts.insert(p); });
}

void fiberLimitExAddFiberImageLimitValue(KxFiberLimit* limit, int32_t featureType, int32_t zone, int32_t maxFeatureSize,
                                         int32_t allowedFeatures, int32_t comparison) {
    if (limit == nullptr || !fits<uint8_t>(featureType) || !fits<uint8_t>(zone) || !fits<uint8_t>(comparison)) return;
    FiberImageLimitValues rule;
    rule.type = static_cast<FiberImageFeatureType>(featureType);
    rule.zone = static_cast<FiberImageZone>(zone);
    rule.maxFeatureSize = maxFeatureSize;
    rule.allowedFeatures = allowedFeatures;
    rule.comparison = static_cast<uint8_t>(comparison);
    const bool replaces = std::any_of(
        limit->imageLimitValues.begin(), limit->imageLimitValues.end(), [&](const FiberImageLimitValues& r) {
            return r.zone == rule.zone && r.type == rule.type && r.maxFeatureSize == rule.maxFeatureSize;
        });
    if (!replaces && !hasRoomFor(limit->imageLimitValues)) return;
    guarded([&] { limit->addImageLimitValue(rule); });
}

void fiberLimitExSetImageZoneDist(KxFiberLimit* limit, int32_t core, int32_t cladding, int32_t adhesive,
                                  int32_t contact) {
    if (limit == nullptr) return;
    guarded([&] {
        limit->imageZoneDist[FiberImageZone::core] = core;
        limit->imageZoneDist[FiberImageZone::cladding] = cladding;
        limit->imageZoneDist[FiberImageZone::adhesive] = adhesive;
        limit->imageZoneDist[FiberImageZone::contact] = contact;
    });
}

uint32_t fiberLimitExSerialize(const KxFiberLimit* limit, uint8_t* buffer, uint32_t size) {
    if (limit == nullptr) return 0;
    return guarded<uint32_t>(0, [&] { return ExportSupport::serializeInto(*limit, buffer, size); });
}

void fiberLimitExDump(const KxFiberLimit* limit) {
    guarded([&] { ExportSupport::dumpToStdout(limit); });
}

int32_t fiberLimitExDumpBuffer(const KxFiberLimit* limit, char* buffer, uint32_t size) {
    return guarded<int32_t>(-1, [&] { return ExportSupport::dumpIntoBuffer(limit, buffer, size); });
}

void fiberLimitExDeFiberLimit(KxFiberLimit* limit) { delete limit; }
void fiberLimitExDeFiberLimitValues(KxFiberLimitValues* values) { delete values; }

float fiberLimitExDefaultLimitValue(int32_t type) { return defaultLimitValue(type); }
float fiberLimitExMinValidLimitValue(int32_t type) { return minValidLimitValue(type); }
float fiberLimitExMaxValidLimitValue(int32_t type) { return maxValidLimitValue(type); }
int32_t fiberLimitExNumLimitValueDecimalPlaces(int32_t type) { return limitValueDecimalPlaces(type); }
bool fiberLimitExIsLimitValueValid(int32_t type, float value) { return isLimitValueValid(type, value); }

}  // extern "C"
