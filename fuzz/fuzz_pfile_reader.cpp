// PFile::MemReader over arbitrary bytes: open, then every section with decompression; the same with quickOpen.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/PFile.h"
#include "serialization/ReadObject.h"

namespace {
void readAll(PFile::MemReader& reader, bool uncompress) {
    PFile::Section section;
    // Each successful read consumes at least a 20-byte header, so this ends.
    while (reader.read(section, uncompress) == 0) {
        if (section.size() > 0 && section.data() == nullptr) __builtin_trap();
        if (!uncompress && section.compressed) section.uncompressData();
        // Touch every delivered byte so the sanitizer sees out-of-range payloads.
        volatile uint8_t sink = 0;
        for (uint32_t i = 0; i < section.size(); i += 97) sink = sink ^ section.data()[i];
        (void)sink;
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > Marshal::kMaxStreamSize) return 0;
    // A copy of exactly `size` bytes so reads past the end are caught.
    auto* copy = new uint8_t[size];
    std::memcpy(copy, data, size);
    const auto n = static_cast<int32_t>(size);
    {
        PFile::MemReader reader;
        if (reader.open(copy, n) == 0) readAll(reader, true);
    }
    {
        PFile::MemReader reader;
        if (reader.quickOpen(copy, n) == 0) readAll(reader, false);
    }
    delete[] copy;
    return 0;
}
