#include "core/Containers.h"

#include <memory>

#include "common/PFile.h"

namespace kx::test {

std::vector<uint8_t> containerOf(const std::vector<SectionBytes>& sections, bool compressed) {
    std::vector<std::unique_ptr<PFile::Section>> owned;
    std::vector<PFile::Section*> ptrs;
    for (const auto& [type, payload] : sections) {
        owned.push_back(std::make_unique<PFile::Section>());
        owned.back()->setCopy(type, 1, compressed ? PFile::SECTION_FLAG_COMPRESSED : PFile::SECTION_FLAG_NONE, payload,
                              1);
        ptrs.push_back(owned.back().get());
    }
    return PFile::buildContainer(ptrs);
}

}  // namespace kx::test
