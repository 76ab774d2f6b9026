#include "storage/CopperTestSet.h"
#include "storage/LossLengthTestSet.h"
#include "storage/OtdrTestSet.h"
#include "storage/TestSetList.h"

namespace Project {

using namespace Marshal;

std::unique_ptr<TestSet> TestSetList::create(uint32_t typeId) {
    if (typeId == TypeIds::ProjectOtdrTestSet.id()) return std::make_unique<OtdrTestSet>();
    if (typeId == TypeIds::ProjectCopperTestSet.id()) return std::make_unique<CopperTestSet>();
    if (typeId == TypeIds::ProjectLossLengthTestSet.id()) return std::make_unique<LossLengthTestSet>();
    if (typeId == TypeIds::ProjectImageTestSet.id()) return std::make_unique<ImageTestSet>();
    return nullptr;
}

std::unique_ptr<TestSet> TestSetList::createByName(const std::string& className) {
    if (className == "OtdrTestSet") return std::make_unique<OtdrTestSet>();
    if (className == "CopperTestSet") return std::make_unique<CopperTestSet>();
    if (className == "LossLengthTestSet") return std::make_unique<LossLengthTestSet>();
    if (className == "ImageTestSet") return std::make_unique<ImageTestSet>();
    return nullptr;
}

}  // namespace Project
