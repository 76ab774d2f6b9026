#include "storage/CopperTestSet.h"

#include "storage/ModuleKind.h"

namespace Project {

bool CopperTestSet::isCustomCable() const { return Kestrix::isCustomObject(settings.cableTypeName.c_str()); }

bool CopperTestSet::isCustomLimit() const { return Kestrix::isCustomObject(settings.testLimitName.c_str()); }

bool CopperTestSet::acceptModule(uint32_t moduleId) {
    if (moduleKind(moduleId) != ModuleKind::copper) return false;
    modID = moduleId;
    return true;
}

}  // namespace Project
