// The simulator's reader of upload lists (the file "smmarkuploaded" is given) on arbitrary bytes: no crash,
// and whatever it accepts is a whole number of keys written back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "SimState.h"
#include "common/PFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const auto keys = Kestrix::Sim::readUploadList(bytes);
    if (!keys) return 0;
    if (keys->empty()) std::abort();
    std::vector<uint8_t> payload;
    for (int32_t k : *keys) {
        for (int i = 0; i < 4; ++i) payload.push_back(static_cast<uint8_t>(static_cast<uint32_t>(k) >> (8 * i)));
    }
    PFile::Section s;
    if (s.setCopy(PFile::SectionType::UploadList, 1, PFile::SECTION_FLAG_NONE, payload, 0) != 0) std::abort();
    const auto again = Kestrix::Sim::readUploadList(PFile::buildContainer({&s}));
    if (!again || *again != *keys) std::abort();
    return 0;
}
