#include "fiber/FiberLimitTypes.h"

#include "common/ScaledInt.h"

namespace Kestrix {

namespace {

constexpr const char* kValueTypeNames[] = {
    "maxLength",
    "minLength",
    "maxOverallLoss",
    "minOverallLoss",
    "minOverallORL",
    "maxConnectorLoss",
    "minConnectorLoss",
    "maxSpliceLoss",
    "minSpliceLoss",
    "maxReflectance",
    "minReflectance",
    "maxEndReflectance",
    "minEndReflectance",
    "maxSegmentAttenCoef",
    "minSegmentAttenCoef",
    "maxOverallAttenCoef",
    "maxTestConnectorLoss",
    "maxRefConnectorLoss",
    "maxMpoCassetteLoss",
    "lengthBasedLossBudget",
    "maxSpliceLossStddev",
    "maxConnectorLossStddev",
    "lcLoss",
    "lcLossStddev",
    "lcLowLoss",
    "lcLowLossStddev",
    "lcUltraLowLoss",
    "lcUltraLowLossStddev",
    "mpoLoss",
    "mpoLossStddev",
    "mpoLowLoss",
    "mpoLowLossStddev",
    "mpoUltraLowLoss",
    "mpoUltraLowLossStddev",
    "maxSplitterReflectance",
    "maxSplitterLoss_1x2",
    "maxSplitterLoss_1x4",
    "maxSplitterLoss_1x8",
    "maxSplitterLoss_1x16",
    "maxSplitterLoss_1x32",
    "maxSplitterLoss_1x64",
    "maxSplitterLoss_1x128",
    "maxSplitterLoss_1x256",
    "maxSplitterLoss_2x2",
    "maxSplitterLoss_2x4",
    "maxSplitterLoss_2x8",
    "maxSplitterLoss_2x16",
    "maxSplitterLoss_2x32",
    "maxSplitterLoss_2x64",
    "maxSplitterLoss_2x128",
    "maxSplitterLoss_2x256",
};

constexpr const char* kFlagNames[] = {
    "mustUseLaunchComp",        "doLengthBasedLossBudget",  "mustUseTailComp",
    "dontUseNumConsAndSplices", "ignoreEventLimitChecking", "mustTestAllWavelengths",
    "no2JumperMethod",          "isMpoLimitType",           "isTrcLimit",
    "isVendorSystemLimit",      "splittersArePassFail",
};

constexpr const char* kRefMethodNames[] = {
    "Not Set",
    "Method A",
    "Method B",
    "Method C",
    "Method A-1",
    "Method A-2",
    "Method A-3",
    "1 jumper method",
    "2 jumper method",
    "3 jumper method",
    "modified 1 jumper method",
};

// Minimums of the splitter types 35..50; the float constants are as the tester stores them.
constexpr float kSplitterMin[] = {2.8f, 5.39999f, 8.2f, 10.79999f, 13.29999f, 16.09999f, 18.59999f, 21.09999f,
                                  2.6f, 5.1f,     7.6f, 10.09999f, 12.7f,     15.2f,     17.69999f, 20.19999f};
constexpr float kSplitterDefault[] = {3.9f, 7.4f, 10.6f, 14.1f, 17.5f, 20.9f, 24.5f, 28.0f,
                                      4.2f, 7.7f, 11.2f, 14.7f, 18.2f, 21.7f, 25.2f, 28.7f};

bool isSplitter(int32_t t) { return t >= 35 && t <= 50; }

}  // namespace

const char* toString(FiberLimitValueType t) {
    const auto i = static_cast<uint32_t>(t);
    return i <= kLastFiberLimitValueType ? kValueTypeNames[i] : "";
}

const char* toString(FiberLimitType t) {
    switch (t) {
        case FiberLimitType::otdr: return "Otdr";
        case FiberLimitType::lossLength: return "Loss Length";
        case FiberLimitType::image: return "Image";
        case FiberLimitType::ponOtdr: return "PON Otdr";
    }
    return "";
}

const char* toString(LimitFlag f) {
    const auto i = static_cast<uint32_t>(f);
    return i < kLimitFlagCount ? kFlagNames[i] : "";
}

const char* toString(FiberPort p) {
    switch (p) {
        case FiberPort::SM: return "SM";
        case FiberPort::MM: return "MM";
    }
    return "";
}

const char* toString(FiberImageFeatureType t) {
    switch (t) {
        case FiberImageFeatureType::none: return "none";
        case FiberImageFeatureType::glob: return "glob";
        case FiberImageFeatureType::scratch: return "scratch";
    }
    return "";
}

const char* toString(FiberImageZone z) {
    switch (z) {
        case FiberImageZone::core: return "core";
        case FiberImageZone::cladding: return "cladding";
        case FiberImageZone::adhesive: return "adhesive";
        case FiberImageZone::contact: return "contact";
    }
    return "";
}

const char* toString(FiberLLRefMethod m) {
    const auto i = static_cast<int32_t>(m);
    return i >= 0 && i <= 10 ? kRefMethodNames[i] : "Not Set";
}

int32_t limitValueDecimalPlaces(int32_t type) {
    if (type == 0 || type == 1) return 1;
    if (type >= 20 && type <= 33) return 4;
    return 2;
}

float minValidLimitValue(int32_t type) {
    switch (type) {
        case 0:
        case 1: return 0.0f;
        case 2:
        case 3:
        case 19: return -10.0f;
        case 5:
        case 6:
        case 7:
        case 8:
        case 16:
        case 17:
        case 18: return -50.0f;
        case 4:
        case 13:
        case 14:
        case 15: return 0.0f;
        case 9:
        case 10:
        case 11:
        case 12:
        case 34: return -99.99001f;
        default: break;
    }
    if (type >= 20 && type <= 33) return 0.0f;
    if (isSplitter(type)) return kSplitterMin[type - 35];
    return 0.0f;
}

float maxValidLimitValue(int32_t type) {
    switch (type) {
        case 0:
        case 1: return 300000.0f;
        case 2:
        case 3:
        case 19: return 50.0f;
        case 5:
        case 6:
        case 7:
        case 8:
        case 16:
        case 17:
        case 18: return 50.0f;
        case 4:
        case 13:
        case 14:
        case 15: return 99.99001f;
        case 9:
        case 10:
        case 11:
        case 12:
        case 34: return 0.0f;
        default: break;
    }
    if (type >= 20 && type <= 33) return 50.0f;
    if (isSplitter(type)) return 50.0f;
    return 0.0f;
}

float defaultLimitValue(int32_t type) {
    switch (type) {
        case 5: return 0.75f;
        case 7: return 0.3f;
        case 9: return -35.0f;
        default: break;
    }
    if (isSplitter(type)) return kSplitterDefault[type - 35];
    return 0.0f;
}

bool isLimitValueValid(int32_t type, float value) {
    const auto scale = static_cast<ScaledInt::ScaledTo>(limitValueDecimalPlaces(type));
    const ScaledInt v(value, scale);
    const ScaledInt lo(minValidLimitValue(type), scale);
    const ScaledInt hi(maxValidLimitValue(type), scale);
    return lo <= v && v <= hi;
}

}  // namespace Kestrix
