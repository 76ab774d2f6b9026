// `kestrix dump` of bare OTDR and image objects.
#include "Command.h"
#include "DumpRegistry.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberOtdrTest.h"

namespace {

using kx::cli::registerBareObject;
namespace T = Marshal::TypeIds;

const bool regSpan = registerBareObject<FibDbus::OtdrSpan>("OtdrSpan", T::OtdrSpan);
const bool regSettings = registerBareObject<Kestrix::FiberOtdrSettings>("FiberOtdrSettings", T::FiberOtdrSettings);
const bool regTable = registerBareObject<Kestrix::FiberOtdrEventTable>("FiberOtdrEventTable", T::FiberOtdrEventTable);
const bool regOverall =
    registerBareObject<Kestrix::FiberOtdrOverallResults>("FiberOtdrOverallResults", T::FiberOtdrOverallResults);
const bool regPlots = registerBareObject<Kestrix::FiberOtdrPlots>("FiberOtdrPlots", T::FiberOtdrPlots);
const bool regRaw = registerBareObject<Kestrix::FiberOtdrRawData>("FiberOtdrRawData", T::FiberOtdrRawData);
const bool regTest = registerBareObject<Kestrix::FiberOtdrTest>("FiberOtdrTest", T::FiberOtdrTest);
const bool regBody = registerBareObject<Kestrix::FiberOtdrTestBody>("FiberOtdrTestBody", T::FiberOtdrTestBody);
const bool regImageTest = registerBareObject<Kestrix::FiberImageTest>("FiberImageTest", T::FiberImageTest);
const bool regImage = registerBareObject<Kestrix::FiberImage>("FiberImage", T::FiberImage);
const bool regImageBody =
    registerBareObject<Kestrix::FiberImageTestBody>("FiberImageTestBody", T::FiberImageTestBody);

}  // namespace
