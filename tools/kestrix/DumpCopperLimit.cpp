// `kestrix dump` of bare copper objects that carry their own header.
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "copper/CopperFreqList.h"
#include "copper/CopperLimit.h"
#include "copper/CopperOutletConfig.h"
#include "copper/Wiremap.h"

namespace kx::cli {

void registerCopperLimitDumpers() {
    registerBareObject<Kestrix::CopperLimit>("CopperLimit", Marshal::TypeIds::CopperLimit);
    registerBareObject<Kestrix::CopperFreqList>("CopperFreqList", Marshal::TypeIds::CopperFreqList);
    registerBareObject<Kestrix::Wiremap>("Wiremap", Marshal::TypeIds::Wiremap);
    registerBareObject<Kestrix::CopperOutletConfig>("CopperOutletConfig", Marshal::TypeIds::CopperOutletConfig);
}

}  // namespace kx::cli
