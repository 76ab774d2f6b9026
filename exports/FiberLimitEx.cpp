#include "FiberLimitEx.h"

#include "ExportSupport.h"
#include "fiber/FiberLimit.h"

using namespace Kestrix;

extern "C" {

KxFiberLimit* fiberLimitExFiberLimit(int32_t limitType, const char* name, bool mustUseLaunchComp,
                                     bool mustUseTailComp, bool doLengthBasedLossBudget,
                                     bool dontUseNumConsAndSplices, bool ignoreEventLimitChecking,
                                     bool mustTestAllWavelengths, bool no2JumperMethod, bool isVendorSystemLimit,
                                     bool splittersArePassFail, const KxDatabasePackageManifestSummary* summary) {
    return new (std::nothrow) FiberLimit(
        static_cast<FiberLimitType>(limitType), name ? name : "", mustUseLaunchComp, mustUseTailComp,
        doLengthBasedLossBudget, dontUseNumConsAndSplices, ignoreEventLimitChecking, mustTestAllWavelengths,
        no2JumperMethod, isVendorSystemLimit, splittersArePassFail,
        summary ? *summary : DatabasePackageManifestSummary());
}

KxFiberLimitValues* fiberLimitExFiberLimitValues(int32_t wavelength) {
    return new (std::nothrow) FiberLimitValues(static_cast<uint16_t>(wavelength));
}

void fiberLimitExAddCategory(KxFiberLimitValues* values, int32_t category) {
    if (values) values->supportedCategories.insert(static_cast<FiberCategory>(category));
}

void fiberLimitExFiberLimitValuesSetValue(KxFiberLimitValues* values, int32_t type, double value) {
    if (values == nullptr) return;
    const auto scale = limitValueDecimalPlaces(type) == 1 ? ScaledInt::tenths : ScaledInt::hundredths;
    const ScaledInt v(static_cast<float>(value), scale);
    const auto key = static_cast<FiberLimitValueType>(type);
    if (v.isNaN())
        values->values.erase(key);
    else
        values->values[key] = v;
}

void fiberLimitExAddFiberLimitValues(KxFiberLimit* limit, const KxFiberLimitValues* values) {
    if (limit && values) limit->addFiberLimitValues(*values);
}

void fiberLimitExAddSupportedPort(KxFiberLimit* limit, int32_t port) {
    if (limit) limit->supportedPorts.insert(static_cast<FiberPort>(port));
}

void fiberLimitExAddFiberImageLimitValue(KxFiberLimit* limit, int32_t featureType, int32_t zone,
                                         int32_t maxFeatureSize, int32_t allowedFeatures, int32_t comparison) {
    if (limit == nullptr) return;
    FiberImageLimitValues rule;
    rule.type = static_cast<FiberImageFeatureType>(featureType);
    rule.zone = static_cast<FiberImageZone>(zone);
    rule.maxFeatureSize = maxFeatureSize;
    rule.allowedFeatures = allowedFeatures;
    rule.comparison = static_cast<uint8_t>(comparison);
    limit->addImageLimitValue(rule);
}

void fiberLimitExSetImageZoneDist(KxFiberLimit* limit, int32_t core, int32_t cladding, int32_t adhesive,
                                  int32_t contact) {
    if (limit == nullptr) return;
    limit->imageZoneDist[FiberImageZone::core] = core;
    limit->imageZoneDist[FiberImageZone::cladding] = cladding;
    limit->imageZoneDist[FiberImageZone::adhesive] = adhesive;
    limit->imageZoneDist[FiberImageZone::contact] = contact;
}

uint32_t fiberLimitExSerialize(const KxFiberLimit* limit, uint8_t* buffer, uint32_t size) {
    return limit ? ExportSupport::serializeInto(*limit, buffer, size) : 0;
}

void fiberLimitExDump(const KxFiberLimit* limit) { ExportSupport::dumpToStdout(limit); }

int32_t fiberLimitExDumpBuffer(const KxFiberLimit* limit, char* buffer, uint32_t size) {
    return ExportSupport::dumpIntoBuffer(limit, buffer, size);
}

void fiberLimitExDeFiberLimit(KxFiberLimit* limit) { delete limit; }
void fiberLimitExDeFiberLimitValues(KxFiberLimitValues* values) { delete values; }

float fiberLimitExDefaultLimitValue(int32_t type) { return defaultLimitValue(type); }
float fiberLimitExMinValidLimitValue(int32_t type) { return minValidLimitValue(type); }
float fiberLimitExMaxValidLimitValue(int32_t type) { return maxValidLimitValue(type); }
int32_t fiberLimitExNumLimitValueDecimalPlaces(int32_t type) { return limitValueDecimalPlaces(type); }
bool fiberLimitExIsLimitValueValid(int32_t type, float value) { return isLimitValueValid(type, value); }

}  // extern "C"
