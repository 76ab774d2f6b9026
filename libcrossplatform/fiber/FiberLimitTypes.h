#pragma once
// Enumerations of fiber limits and the per-type value rules (validity range, decimals, default).
// Values are stored: frozen.
#include <cstdint>

namespace Kestrix {

enum class FiberLimitValueType : uint8_t {
    maxLength = 0,
    minLength = 1,
    maxOverallLoss = 2,
    minOverallLoss = 3,
    minOverallORL = 4,
    maxConnectorLoss = 5,
    minConnectorLoss = 6,
    maxSpliceLoss = 7,
    minSpliceLoss = 8,
    maxReflectance = 9,
    minReflectance = 10,
    maxEndReflectance = 11,
    minEndReflectance = 12,
    maxSegmentAttenCoef = 13,
    minSegmentAttenCoef = 14,
    maxOverallAttenCoef = 15,
    maxTestConnectorLoss = 16,
    maxRefConnectorLoss = 17,
    maxMpoCassetteLoss = 18,
    lengthBasedLossBudget = 19,
    maxSpliceLossStddev = 20,
    maxConnectorLossStddev = 21,
    lcLoss = 22,
    lcLossStddev = 23,
    lcLowLoss = 24,
    lcLowLossStddev = 25,
    lcUltraLowLoss = 26,
    lcUltraLowLossStddev = 27,
    mpoLoss = 28,
    mpoLossStddev = 29,
    mpoLowLoss = 30,
    mpoLowLossStddev = 31,
    mpoUltraLowLoss = 32,
    mpoUltraLowLossStddev = 33,
    maxSplitterReflectance = 34,
    maxSplitterLoss_1x2 = 35,
    maxSplitterLoss_1x4 = 36,
    maxSplitterLoss_1x8 = 37,
    maxSplitterLoss_1x16 = 38,
    maxSplitterLoss_1x32 = 39,
    maxSplitterLoss_1x64 = 40,
    maxSplitterLoss_1x128 = 41,
    maxSplitterLoss_1x256 = 42,
    maxSplitterLoss_2x2 = 43,
    maxSplitterLoss_2x4 = 44,
    maxSplitterLoss_2x8 = 45,
    maxSplitterLoss_2x16 = 46,
    maxSplitterLoss_2x32 = 47,
    maxSplitterLoss_2x64 = 48,
    maxSplitterLoss_2x128 = 49,
    maxSplitterLoss_2x256 = 50,
};
inline constexpr uint8_t kLastFiberLimitValueType = 50;

// Kind of a limit (bit values).
enum class FiberLimitType : int32_t { otdr = 1, lossLength = 2, image = 4, ponOtdr = 8 };

// Behaviour flags of a limit: bit numbers in FiberLimit::limitFlags.
enum class LimitFlag : uint32_t {
    mustUseLaunchComp = 0,
    doLengthBasedLossBudget = 1,
    mustUseTailComp = 2,
    dontUseNumConsAndSplices = 3,
    ignoreEventLimitChecking = 4,
    mustTestAllWavelengths = 5,
    no2JumperMethod = 6,
    isMpoLimitType = 7,
    isTrcLimit = 8,
    isVendorSystemLimit = 9,
    splittersArePassFail = 10,
};
inline constexpr uint32_t kLimitFlagCount = 11;

enum class FiberPort : uint8_t { SM = 0, MM = 1 };

// Feature type of an end-face rule and of a found defect.
enum class FiberImageFeatureType : uint8_t { none = 0, glob = 1, scratch = 2 };

enum class FiberImageZone : uint8_t { core = 0, cladding = 1, adhesive = 2, contact = 3 };
inline constexpr uint8_t kFiberImageZoneCount = 4;

enum class FiberLLRefMethod : int32_t {
    notSet = 0,
    methodA = 1,
    methodB = 2,
    methodC = 3,
    methodA1 = 4,
    methodA2 = 5,
    methodA3 = 6,
    oneJumper = 7,
    twoJumper = 8,
    threeJumper = 9,
    modifiedOneJumper = 10,
};

// Texts; empty for unknown values ("Not Set" for reference methods).
const char* toString(FiberLimitValueType t);
const char* toString(FiberLimitType t);
const char* toString(LimitFlag f);
const char* toString(FiberPort p);
const char* toString(FiberImageFeatureType t);
const char* toString(FiberImageZone z);
const char* toString(FiberLLRefMethod m);

// Value rules of limit types (the tables of the limit editor). Types without an entry have bounds 0.0.
int32_t limitValueDecimalPlaces(int32_t type);
float minValidLimitValue(int32_t type);
float maxValidLimitValue(int32_t type);
float defaultLimitValue(int32_t type);
// minimum <= value <= maximum, all three at the type's decimal places.
bool isLimitValueValid(int32_t type, float value);

}  // namespace Kestrix
