// The instrument settings container reader, and the bare settings record, over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/InstrumentSettingsFile.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > Marshal::kMaxStreamSize) return 0;
    Kestrix::InstrumentSettings settings;
    if (Kestrix::InstrumentSettingsFile::read(std::vector<uint8_t>(data, data + size), settings)) {
        // Accepted settings always have texts for their enumerations.
        (void)Kestrix::InstrumentSettingsFile::write(settings);
    }
    Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
    Kestrix::InstrumentSettings bare;
    if (bare.deserialize(r) == Marshal::ok) (void)Dump::toJsonString(bare, Dump::DumpFlags{2}, true);
    return 0;
}
