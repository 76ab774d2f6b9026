// `kestrix dump` of bare copper objects that carry their own header.
#include "DumpRegistry.h"
#include "copper/CopperFreqList.h"
#include "copper/CopperLimit.h"
#include "copper/CopperOutletConfig.h"
#include "copper/Wiremap.h"

namespace {
const bool regLimit = kx::cli::registerBareObject<Kestrix::CopperLimit>("CopperLimit", Marshal::TypeIds::CopperLimit);
const bool regFreqs =
    kx::cli::registerBareObject<Kestrix::CopperFreqList>("CopperFreqList", Marshal::TypeIds::CopperFreqList);
const bool regWiremap = kx::cli::registerBareObject<Kestrix::Wiremap>("Wiremap", Marshal::TypeIds::Wiremap);
const bool regOutlet = kx::cli::registerBareObject<Kestrix::CopperOutletConfig>("CopperOutletConfig",
                                                                                Marshal::TypeIds::CopperOutletConfig);
}  // namespace
