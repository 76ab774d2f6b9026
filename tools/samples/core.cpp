// A database package manifest container, as a software update carries it.
#include "SampleRegistry.h"
#include "core/ManifestSamples.h"

namespace {
kx::samples::SampleRegistration reg("manifest.pfile",
                                    [] { return kx::test::manifestContainer(kx::test::sampleManifest()); });
}  // namespace
