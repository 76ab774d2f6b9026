#pragma once
// The crew: testers with their serial numbers, software versions, modules and calibration dates, and the
// operators who use them.
#include <cstdint>
#include <string>
#include <vector>

#include "common/EquipmentInformation.h"

namespace Kestrix::LinkGen {

enum class ModuleKind { copper, otdr, lossSet };

struct Tester {
    std::string model;  // "Ombrel2"
    std::string serial;
    std::string software;
    int hardwareRevision;
    ModuleKind kind;
    int32_t moduleId;
    std::string moduleSerial;
    int64_t calibrated;  // seconds since 1970
    int64_t firstUse;
};

inline constexpr int64_t kDay = 86400;

// Main and remote units of each kind; one copper main unit is past its calibration date (due a year after
// it) for all of the stock's weeks.
const std::vector<Tester>& testers();
// The units of one kind, main units first.
std::vector<const Tester*> testersOf(ModuleKind kind);
const std::vector<std::string>& operators();

// The record of a unit; `adapter` and its serial for copper units (permanent-link or channel adapter).
EquipmentInformation equipment(const Tester& t, int32_t adapter = 0);

}  // namespace Kestrix::LinkGen
