// Bare objects of the result envelope for `kestrix dump`.
#include "DumpRegistry.h"
#include "common/EquipmentInformation.h"
#include "common/ResultSummary.h"

namespace {
const bool regSummary = kx::cli::registerBareObject<Kestrix::ResultSummary>("ResultSummary", Marshal::TypeIds::ResultSummary);
const bool regEquipment =
    kx::cli::registerBareObject<Kestrix::EquipmentInformation>("EquipmentInformation", Marshal::TypeIds::EquipmentInformation);
}  // namespace
