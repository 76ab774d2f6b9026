// Seeds for the container reader and the manifest reader, made with the library's writers.
#include <random>

#include "SeedRegistry.h"
#include "common/PFile.h"
#include "core/ManifestSamples.h"

namespace {

std::vector<uint8_t> mixedBytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> b(n);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) b[i] = (i % 16 < 10) ? static_cast<uint8_t>(i / 16) : static_cast<uint8_t>(rng());
    return b;
}

std::vector<uint8_t> sections() {
    PFile::Section plain, packed, packed9;
    plain.setCopy(201, 1, PFile::SECTION_FLAG_NONE, mixedBytes(60, 1), 0);
    packed.setCopy(700, 6, PFile::SECTION_FLAG_COMPRESSED, mixedBytes(900, 2), 1);
    packed9.setCopy(701, 1, PFile::SECTION_FLAG_COMPRESSED, mixedBytes(300, 3), 9);
    return PFile::buildContainer({&plain, &packed, &packed9});
}

kx::fuzz::SeedRegistration a("fuzz_pfile_reader", "header-only", [] { return PFile::buildContainer({}); });
kx::fuzz::SeedRegistration b("fuzz_pfile_reader", "three-sections", sections);
kx::fuzz::SeedRegistration c("fuzz_pfile_reader", "manifest",
                             [] { return kx::test::manifestContainer(kx::test::sampleManifest(), 102, true); });
kx::fuzz::SeedRegistration d("fuzz_manifest", "bare",
                             [] { return kx::test::manifestBytes(kx::test::sampleManifest()); });
kx::fuzz::SeedRegistration e("fuzz_manifest", "container",
                             [] { return kx::test::manifestContainer(kx::test::sampleManifest()); });

}  // namespace
