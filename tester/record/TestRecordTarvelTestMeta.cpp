// Test metadata of a record: when, with which limit and testers, on which cable.
#include <algorithm>
#include <string>
#include <vector>

#include "common/EquipmentInformation.h"
#include "copper/CopperLimit.h"
#include "copper/CopperResult.h"
#include "copper/LiaId.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResult.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

// Host tester models.
constexpr int kModelOtdr = 3000;
constexpr int kModelLossSet = 3003;
constexpr int kModelLossSetRemote = 3004;
constexpr int kModelNoModule = 3499;

constexpr int kMonthsCalibrationStartsAtLatest = 6;

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Calibration date, and the start of the calibration period: the first use, but no later than six months
// after calibration.
void setCalibration(Tester& t, const EquipmentInformation& e) {
    t.ModuleCalDate = HxDataDate::From1970(e.moduleCalibrationTime);
    if (e.moduleCalibrationTime <= 0 || e.moduleFirstUseDate <= e.moduleCalibrationTime) return;
    const HostDate limit = HxDataDate::AddMonths(t.ModuleCalDate, kMonthsCalibrationStartsAtLatest);
    const HostDate firstUse = HxDataDate::From1970(e.moduleFirstUseDate);
    t.ModuleCalStartDate = firstUse > limit ? limit : firstUse;
    if (t.ModelID == 3011 || t.ModelID == 3012) t.TesterCalStartDate = t.ModuleCalStartDate;
}

Tester fiberTester(const EquipmentInformation& e, int model, bool main) {
    Tester t;
    t.ModelID = model;
    t.IsMain = main;
    t.TesterSerialNumber = e.modelSerialNumber;
    t.TesterSoftwareVersion = e.softwareVersion;
    t.ModuleName = moduleName(e.moduleId);
    t.ModuleSerialNumber = e.moduleSerialNumber;
    setCalibration(t, e);
    t.End = main ? 1 : 2;
    return t;
}

int fiberMainModel(int32_t moduleId) {
    if (moduleId == 0) return kModelNoModule;
    if (moduleId >= 200 && moduleId <= 299) return kModelLossSet;
    return kModelOtdr;
}

// Copper models: {main, remote} per kind of instrument.
struct CopperModels {
    int main;
    int remote;
};

int copperModel(const EquipmentInformation& e, bool main) {
    CopperModels m = e.moduleId == 400 ? CopperModels{3009, 3010} : CopperModels{3005, 3006};
    if (contains(e.modelIdStr, "3000")) m = {3007, 3008};
    if (e.modelIdStr == "Ombrel") m = {3011, 3012};
    if (e.modelIdStr == "Ombrel2") m = {3013, 3014};
    return main ? m.main : m.remote;
}

Tester copperTester(const EquipmentInformation& e, bool main) {
    Tester t;
    t.ModelID = copperModel(e, main);
    t.IsMain = main;
    t.TesterSerialNumber = e.moduleSerialNumber;
    t.TesterSoftwareVersion = e.softwareVersion;
    // Adapter codes are 16 bits; a stored value beyond that names no adapter.
    t.ModuleName = e.liaId >= 0 && e.liaId <= 0xFFFF ? Meascop::liaName(static_cast<Meascop::LiaId>(e.liaId)) : "";
    t.ModuleSerialNumber = e.liaSerialNumber;
    setCalibration(t, e);
    t.End = main ? 1 : 2;
    return t;
}

const EquipmentInformation* equipmentOf(const FiberTest& test) {
    if (const auto* t = dynamic_cast<const FiberOtdrTest*>(&test)) return &t->equipmentInfo;
    if (const auto* t = dynamic_cast<const FiberLossLengthTest*>(&test)) return &t->equipmentInfo;
    if (const auto* t = dynamic_cast<const FiberPowerMeterTest*>(&test)) return &t->equipmentInfo;
    if (const auto* t = dynamic_cast<const Kestrix::FiberImageTest*>(&test)) return &t->equipmentInfo;
    return nullptr;
}

int coreType(FiberCoreSize size) {
    switch (size) {
        case FiberCoreSize::upTo30um: return 4;
        case FiberCoreSize::upTo57um: return 2;
        case FiberCoreSize::above57um: return 3;
    }
    return 0;
}

// The wavelengths a host test id covers, ascending, each once.
std::vector<int> testedWavelengths(const FiberTest& test, int testId) {
    std::vector<int> wls;
    const HostTestCategory category = EnumMapper::TestTypeToCategory(testId);
    if (category == HostTestCategory::otdr) {
        if (const auto* otdr = dynamic_cast<const FiberOtdrTest*>(&test))
            for (const auto& perWl : otdr->overallResults.perWls())
                if (perWl.wavelength != 0) wls.push_back(perWl.wavelength);
    } else if (category == HostTestCategory::loss) {
        const CableEnd direction = testId == 20 ? CableEnd::end1 : CableEnd::end2;
        if (const auto* ll = dynamic_cast<const FiberLossLengthTest*>(&test))
            for (const auto& entry : ll->testPerDirectionWlVec)
                if (entry.direction == direction && entry.wavelength != 0) wls.push_back(entry.wavelength);
    }
    std::sort(wls.begin(), wls.end());
    wls.erase(std::unique(wls.begin(), wls.end()), wls.end());
    return wls;
}

void setWavelengths(TestMetaData& meta, const Fiber& fiber, const std::vector<int>& wls) {
    for (size_t i = 0; i < wls.size() && i < meta.Wavelength.size(); ++i) {
        meta.Wavelength[i] = wls[i];
        const FiberPerWl* perWl = fiber.getFiberPerWl(wls[i]);
        if (perWl == nullptr) continue;
        if (perWl->modalBandwidth != 0) meta.ModalBandwidth[i] = perWl->modalBandwidth;
        if (perWl->ir != 0.0) meta.IndexOfRefraction[i] = perWl->ir;
        if (perWl->backscatterCoef.isFinite()) meta.BackScatter[i] = perWl->backscatterCoef.toDouble();
    }
}

}  // namespace

boost::optional<TestMetaData> TestRecordTarvel::fiberTestMetaData(int testId) {
    const FiberResult* result = GetFiberResult();
    if (result == nullptr) return boost::none;
    const FiberTest* test = result->getTest(EnumConverter::KestrixShareFibTestType(testId));
    if (test == nullptr && testId == 33) test = result->getTest(FiberTestType::otdrEnd2);
    if (test == nullptr) return boost::none;

    TestMetaData meta;
    meta.TestId = testId;
    meta.TestTime = HxDataDate::From1970(test->summary.timestamp);
    FiberLimit limit;
    const bool hasLimit = test->getLimit(limit);
    if (hasLimit) {
        meta.LimitName = limit.name;
        const CustomerDatabaseVersion& v = limit.summary.customerVersion;
        if (v.major != 0 || v.minor != 0) meta.LimitVersion = std::to_string(v.major) + "." + std::to_string(v.minor);
    }
    meta.OperatorFromResult = test->summary.operatorName;

    const FiberLossLengthTest* lossLength = nullptr;
    if (const EquipmentInformation* equipment = equipmentOf(*test)) {
        meta.Tester1 = fiberTester(*equipment, fiberMainModel(equipment->moduleId), true);
        if (meta.Tester1->ModelID == kModelLossSet) {
            lossLength = dynamic_cast<const FiberLossLengthTest*>(result->getTest(FiberTestType::lossLength));
            if (lossLength != nullptr && !lossLength->remoteEquipInfo.modelIdStr.empty()) {
                const EquipmentInformation& remote = lossLength->remoteEquipInfo;
                const int model = contains(remote.modelIdStr, "remote") ? kModelLossSetRemote : kModelLossSet;
                meta.Tester2 = fiberTester(remote, model, false);
            }
        }
    }

    Fiber fiber;
    if (!test->getFiber(fiber)) return meta;
    meta.Media = kMediaFiber;
    meta.CableTypeFromResult = fiber.name;
    meta.CoreType = coreType(fiber.getNominalCoreSize());
    if (fiber.category >= FiberCategory::OM1 && fiber.category <= FiberCategory::OM5)
        meta.CategoryFiber = static_cast<int>(fiber.category);
    const auto* otdr = dynamic_cast<const FiberOtdrTest*>(test);
    if (otdr != nullptr && EnumMapper::TestTypeToCategory(testId) == HostTestCategory::otdr) {
        const ScaledInt& length = otdr->overallResults.lengthTolMeas.value;
        if (length.isFinite()) meta.Meters = length.toDouble();
    }
    if (!test->summary.end1Name.empty()) meta.End1Name = test->summary.end1Name;
    if (!test->summary.end2Name.empty()) meta.End2Name = test->summary.end2Name;
    if (hasLimit && limit.isFlagSet(LimitFlag::doLengthBasedLossBudget)) {
        if (otdr != nullptr) {
            meta.Adapters = static_cast<int>(std::min<uint32_t>(otdr->settings.numConnectors, INT32_MAX));
            meta.Splices = static_cast<int>(std::min<uint32_t>(otdr->settings.numSplices, INT32_MAX));
        }
        if (lossLength != nullptr) {
            meta.Adapters = static_cast<int>(std::min<uint32_t>(lossLength->settings.numAdapters, INT32_MAX));
            meta.Splices = static_cast<int>(std::min<uint32_t>(lossLength->settings.numSplices, INT32_MAX));
        }
    }
    setWavelengths(meta, fiber, testedWavelengths(*test, testId));
    return meta;
}

boost::optional<TestMetaData> TestRecordTarvel::copperTestMetaData(int testId) {
    const CopperResult* result = GetCopperResult();
    if (result == nullptr || result->test == nullptr) return boost::none;
    const CopperTest& test = *result->test;

    TestMetaData meta;
    meta.TestId = testId;
    meta.TestTime = HxDataDate::From1970(result->summary.timeStamp);
    if (const auto limit = test.getLimit()) {
        meta.LimitName = limit->getName();
        meta.LimitVersion = limit->getDbPkgMfstSummary().getVersionString();
    }
    meta.OperatorFromResult = test.getOperatorName();
    meta.Tester1 = copperTester(test.getMainEquipInfo(), true);
    if (test.getRemoteEquipInfo().moduleId != 0) meta.Tester2 = copperTester(test.getRemoteEquipInfo(), false);

    meta.Media = test.getCable().isCoax() ? kMediaCoax : kMediaCopper;
    meta.CableTypeFromResult = test.getCable().getName();
    meta.NVP = test.getSettings().nvp.toDouble();
    return meta;
}

}  // namespace Kestrix::Tester
