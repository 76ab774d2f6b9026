// Project::Core deserialization over arbitrary bytes; whatever reads cleanly must also print and re-encode.
#include <cstddef>
#include <cstdint>

#include "serialization/ByteStreamBuilder.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"
#include "storage/Core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
    Project::Core project;
    if (project.deserialize(r) != Marshal::ok) return 0;
    (void)project.nextLabel();
    (void)Dump::toJsonString(project, Dump::DumpFlags{2}, true);
    (void)Dump::dumpToString(project);
    Marshal::ByteStreamBuilder b;
    project.serialize(b);
    Project::Core copy = project;
    if (!copy.equals(project)) __builtin_trap();
    for (const auto& set : project.testSets.items) {
        auto clone = set->clone();
        clone->normalise();
        (void)clone->isCustomCable();
        (void)clone->isCustomLimit();
    }
    return 0;
}
