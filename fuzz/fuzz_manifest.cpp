// Manifest deserialization from arbitrary bytes: as a bare object and as a container.
#include <cstddef>
#include <cstdint>

#include "common/ManifestFile.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/ByteStreamBuilder.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > Marshal::kMaxStreamSize) return 0;
    Kestrix::DatabasePackageManifest manifest;
    Marshal::ByteStreamReader reader(data, static_cast<uint32_t>(size));
    if (manifest.deserialize(reader) == Marshal::ok) {
        // What was read must serialize and read back.
        Marshal::ByteStreamBuilder w;
        manifest.serialize(w);
        Kestrix::DatabasePackageManifest again;
        Marshal::ByteStreamReader r2(w.data(), static_cast<uint32_t>(w.size()));
        if (again.deserialize(r2) != Marshal::ok) __builtin_trap();
        (void)manifest.toJson(Dump::DumpFlags{2});
    }
    Kestrix::DatabasePackageManifest fromContainer;
    Kestrix::getManifestFromBuffer(fromContainer, data, static_cast<uint32_t>(size));
    return 0;
}
