#include "Equipment.h"

namespace Kestrix::LinkGen {

namespace {

// 2026-11-03, the first day of the stock's work.
constexpr int64_t kStockStart = 1793664000;

std::vector<Tester> makeTesters() {
    const int64_t start = kStockStart;
    return {
        {"Ombrel2", "OM2-104412", "4.3.0", 3, ModuleKind::copper, 302, "KA-31877", start - 140 * kDay,
         start - 700 * kDay},
        {"Ombrel2", "OM2-104413", "4.3.0", 3, ModuleKind::copper, 302, "KA-31878", start - 140 * kDay,
         start - 700 * kDay},
        // Calibrated 17 months before the stock's first day: past due on every record it made.
        {"Ombrel", "OM1-088120", "4.2.1", 2, ModuleKind::copper, 302, "KA-20411", start - 520 * kDay,
         start - 1500 * kDay},
        {"Ombrel", "OM1-088121", "4.2.1", 2, ModuleKind::copper, 302, "KA-20412", start - 200 * kDay,
         start - 1500 * kDay},
        {"Ombrel2", "OM2-104455", "4.3.0", 3, ModuleKind::otdr, 106, "GQ-55120", start - 150 * kDay,
         start - 400 * kDay},
        {"Tarvel2", "TV2-330187", "4.3.0", 2, ModuleKind::otdr, 101, "GM-40218", start - 200 * kDay,
         start - 900 * kDay},
        {"Ombrel2", "OM2-104460", "4.3.0", 3, ModuleKind::lossSet, 200, "LQ-77810", start - 130 * kDay,
         start - 500 * kDay},
        {"Ombrel2", "OM2-104461", "4.3.0", 3, ModuleKind::lossSet, 200, "LQ-77811", start - 130 * kDay,
         start - 500 * kDay},
    };
}

}  // namespace

const std::vector<Tester>& testers() {
    static const std::vector<Tester> all = makeTesters();
    return all;
}

std::vector<const Tester*> testersOf(ModuleKind kind) {
    std::vector<const Tester*> out;
    for (const auto& t : testers())
        if (t.kind == kind) out.push_back(&t);
    return out;
}

const std::vector<std::string>& operators() {
    static const std::vector<std::string> names = {"M. Lindqvist", "R. Osei", "J. Ortega", "A. Nakamura",
                                                   "P. Kowalczyk"};
    return names;
}

EquipmentInformation equipment(const Tester& t, int32_t adapter) {
    EquipmentInformation e;
    e.softwareVersion = t.software;
    e.modelIdStr = t.model;
    e.modelHardwareRevision = t.hardwareRevision;
    e.modelSerialNumber = t.serial;
    e.moduleId = t.moduleId;
    e.moduleHardwareRevision = 2;
    e.moduleSerialNumber = t.moduleSerial;
    e.moduleCalibrationTime = t.calibrated;
    e.moduleFirstUseDate = t.firstUse;
    if (adapter != 0) {
        e.liaId = adapter;
        e.liaSerialNumber = "AD-" + t.serial.substr(4) + "-" + std::to_string(adapter);
        e.liaCalibrationTime = t.calibrated;
    }
    return e;
}

}  // namespace Kestrix::LinkGen
