// PFile::MemReader over arbitrary bytes: open, then every section with decompression; the same with quickOpen.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "common/PFile.h"
#include "serialization/ReadObject.h"

namespace {
// A failure is reported exactly when a call fails, and never points past the bytes.
void checkFailure(const PFile::MemReader& reader, int32_t rc, size_t size) {
    const bool failed = reader.failure().kind != PFile::FailureKind::none;
    if (failed != (rc == -1) || reader.failure().offset > size) __builtin_trap();
}

void readAll(PFile::MemReader& reader, bool uncompress, size_t size) {
    PFile::Section section;
    // Each successful read consumes at least a 20-byte header, so this ends.
    int32_t rc = 0;
    while ((rc = reader.read(section, uncompress)) == 0) {
        checkFailure(reader, rc, size);
        if (section.size() > 0 && section.data() == nullptr) __builtin_trap();
        if (!uncompress && section.compressed) section.uncompressData();
        // Touch every delivered byte so the sanitizer sees out-of-range payloads.
        volatile uint8_t sink = 0;
        for (uint32_t i = 0; i < section.size(); i += 97) sink = sink ^ section.data()[i];
        (void)sink;
    }
    checkFailure(reader, rc, size);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > Marshal::kMaxStreamSize) return 0;
    // A copy of exactly `size` bytes so reads past the end are caught.
    auto* copy = new uint8_t[size];
    std::memcpy(copy, data, size);
    const std::span<const uint8_t> bytes(copy, size);
    {
        PFile::MemReader reader;
        const int32_t rc = reader.open(bytes);
        if (rc == 0)
            readAll(reader, true, size);
        else if (reader.failure().kind == PFile::FailureKind::none)
            __builtin_trap();
    }
    {
        PFile::MemReader reader;
        const int32_t rc = reader.quickOpen(bytes);
        if (rc == 0)
            readAll(reader, false, size);
        else if (reader.failure().kind == PFile::FailureKind::none)
            __builtin_trap();
    }
    delete[] copy;
    return 0;
}
