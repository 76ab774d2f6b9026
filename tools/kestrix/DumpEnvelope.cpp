// Bare objects of the result envelope for `kestrix dump`.
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "common/EquipmentInformation.h"
#include "common/ResultSummary.h"

namespace kx::cli {

void registerEnvelopeDumpers() {
    registerBareObject<Kestrix::ResultSummary>("ResultSummary", Marshal::TypeIds::ResultSummary);
    registerBareObject<Kestrix::EquipmentInformation>("EquipmentInformation", Marshal::TypeIds::EquipmentInformation);
}

}  // namespace kx::cli
