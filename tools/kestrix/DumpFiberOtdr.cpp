// `kestrix dump` of bare OTDR and image objects.
#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberOtdrTest.h"

namespace kx::cli {

void registerFiberOtdrDumpers() {
    namespace T = Marshal::TypeIds;

    registerBareObject<FibDbus::OtdrSpan>("OtdrSpan", T::OtdrSpan);
    registerBareObject<Kestrix::FiberOtdrSettings>("FiberOtdrSettings", T::FiberOtdrSettings);
    registerBareObject<Kestrix::FiberOtdrEventTable>("FiberOtdrEventTable", T::FiberOtdrEventTable);
    registerBareObject<Kestrix::FiberOtdrOverallResults>("FiberOtdrOverallResults", T::FiberOtdrOverallResults);
    registerBareObject<Kestrix::FiberOtdrPlots>("FiberOtdrPlots", T::FiberOtdrPlots);
    registerBareObject<Kestrix::FiberOtdrRawData>("FiberOtdrRawData", T::FiberOtdrRawData);
    registerBareObject<Kestrix::FiberOtdrTest>("FiberOtdrTest", T::FiberOtdrTest);
    registerBareObject<Kestrix::FiberOtdrTestBody>("FiberOtdrTestBody", T::FiberOtdrTestBody);
    registerBareObject<Kestrix::FiberImageTest>("FiberImageTest", T::FiberImageTest);
    registerBareObject<Kestrix::FiberImage>("FiberImage", T::FiberImage);
    registerBareObject<Kestrix::FiberImageTestBody>("FiberImageTestBody", T::FiberImageTestBody);
}

}  // namespace kx::cli
