#include "storage/LossLengthTestSet.h"

#include "storage/ModuleKind.h"

namespace Project {

using Kestrix::TestType;

bool LossLengthTestSet::isCustomCable() const { return Kestrix::isCustomObject(settings.fiberName.c_str()); }

bool LossLengthTestSet::isCustomLimit() const { return Kestrix::isCustomObject(settings.limitName.c_str()); }

void LossLengthTestSet::normalise() {
    auto& s = settings;
    if (s.fiberTestType != TestType::scopel) {
        s.cableEnd = Kestrix::CableEnd::end1;
        s.farEndSourceType = Kestrix::FarEndSourceType::notSet;
        if (s.remoteEndSetup == Kestrix::RemoteEndSetup::farEndSource) s.biDirectionalEnabled = false;
        return;
    }
    const std::string limit = s.limitName;
    s.clear();
    s.limitName = limit;
    s.fiberTestType = TestType::scopel;
    s.remoteEndSetup = Kestrix::RemoteEndSetup::scopel;
}

bool LossLengthTestSet::acceptModule(uint32_t moduleId) {
    if (moduleKind(moduleId) != ModuleKind::lossLength) return false;
    modID = moduleId;
    return true;
}

}  // namespace Project
