// Upload lists as an importer writes them: one uncompressed section of type 201 with int32 keys.
#include "SeedRegistry.h"
#include "common/PFile.h"

namespace {

std::vector<uint8_t> uploadList(const std::vector<int32_t>& keys, uint32_t flags) {
    std::vector<uint8_t> payload;
    for (int32_t k : keys) {
        for (int i = 0; i < 4; ++i) payload.push_back(static_cast<uint8_t>(static_cast<uint32_t>(k) >> (8 * i)));
    }
    PFile::Section s;
    if (s.setCopy(PFile::SectionType::UploadList, 1, static_cast<PFile::SECTION_FLAGS>(flags), payload, 1) != 0)
        return {};
    return PFile::buildContainer({&s});
}

kx::fuzz::SeedRegistration few("fuzz_sim_upload_list", "three-keys", [] { return uploadList({1, 2, 40}, 0); });
kx::fuzz::SeedRegistration packed("fuzz_sim_upload_list", "compressed", [] {
    std::vector<int32_t> keys;
    for (int32_t k = 1; k <= 300; ++k) keys.push_back(k);
    return uploadList(keys, PFile::SECTION_FLAG_COMPRESSED);
});

}  // namespace
