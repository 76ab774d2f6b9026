#include "storage/OtdrTestSet.h"

#include <algorithm>

#include "storage/CountedString.h"
#include "storage/ModuleKind.h"

namespace Project {

using Kestrix::ScaledInt;
using Kestrix::TestType;

namespace {
// Default OTDR fiber limit, used by FaultMap tests.
constexpr const char* kDefaultOtdrLimit = "General Fiber RL = 35 dB";
}  // namespace

bool isManualOtdrTestType(TestType t) {
    switch (static_cast<int32_t>(t)) {
        case 2:   // Manual OTDR
        case 5:   // Manual Real Time Trace
        case 27:  // Manual Vexloop
        case 32:  // Manual PON OTDR
        case 64:  // Connector Quality OTDR
        case 65:  // Deadzone OTDR
            return true;
        default: return false;
    }
}

bool FiberOtdrSetupTestSet::isCustomLimit() const { return Kestrix::isCustomObject(settings.fiberLimit.c_str()); }

void FiberOtdrSetupTestSet::normalise() {
    auto& s = settings;
    const TestType type = s.fiberTestType;
    if (type == TestType::scopel) {
        const std::string limit = s.fiberLimit;
        s.clear();
        s.fiberLimit = limit;
        s.fiberTestType = TestType::scopel;
        return;
    }
    const bool manual = isManualOtdrTestType(type);
    if (!manual) {
        s.otdrRange = Kestrix::OtdrRange::autoRange;
        s.otdrAveragingTime = Kestrix::OtdrAveragingTime::autoTime;
        s.lossThresholdAutoOrManual = Kestrix::AutoOrManual::autoMode;
        s.endThresholdAutoOrManual = Kestrix::AutoOrManual::autoMode;
    }
    if (s.lossThresholdAutoOrManual == Kestrix::AutoOrManual::autoMode)
        s.nominalLossThreshold = ScaledInt::nan(s.nominalLossThreshold.scaledTo);
    if (s.endThresholdAutoOrManual == Kestrix::AutoOrManual::autoMode)
        s.endThreshold = ScaledInt::nan(s.endThreshold.scaledTo);
    const bool vexloop = type == TestType::autoVexloop || type == TestType::manualVexloop;
    if (vexloop) {
        s.launchCompensationEnabled = true;
    } else {
        s.bidi = false;
        if (type == TestType::faultMap) {
            s.launchCompensationEnabled = false;
            s.fiberLimit = kDefaultOtdrLimit;
        }
    }
    s.frontPanelOffset = 0;
    s.reflectanceThreshold = 0;
    auto& perWl = s.perWl;
    perWl.erase(std::remove_if(perWl.begin(), perWl.end(),
                               [&](const Kestrix::FiberOtdrSettingsPerWl& e) {
                                   return s.wavelengthsToTest.count(e.wavelength) == 0;
                               }),
                perWl.end());
    for (auto& e : perWl) {
        e.actualOtdrRange = ScaledInt::nan(e.actualOtdrRange.scaledTo);
        e.actualResolution = ScaledInt::nan(e.actualResolution.scaledTo);
        e.actualOtdrAveragingTime = ScaledInt::nan(e.actualOtdrAveragingTime.scaledTo);
        e.nominalOtdrPulseWidth = 0;
        e.numberOfAverages = 0;
        if (!manual) e.otdrPulseWidth = 0;
    }
}

bool OtdrTestSet::isCustomCable() const { return Kestrix::isCustomObject(settings.fiberName.c_str()); }

bool OtdrTestSet::acceptModule(uint32_t moduleId) {
    if (moduleKind(moduleId) != ModuleKind::otdr) return false;
    modID = moduleId;
    return true;
}

void OtdrTestSet::afterRead(uint8_t classVersion) {
    if (classVersion >= 2) return;
    settings.fiberName = latin1ToUtf8(settings.fiberName);
    settings.fiberLimit = latin1ToUtf8(settings.fiberLimit);
}

bool ImageTestSet::acceptModule(uint32_t moduleId) {
    if (moduleId != 0) return false;
    modID = moduleId;
    return true;
}

}  // namespace Project
