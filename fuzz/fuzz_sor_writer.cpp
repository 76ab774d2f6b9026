// The SR-4731 export over arbitrary result bytes: a fiber result that reads is written as one trace file
// per wavelength of each OTDR test; whatever the result holds, every file must come out whole (its map
// sizes add up to the file and its checksum matches) or not at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberResultReader.h"
#include "fiber/SorWriter.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Kestrix::FiberResult result;
    if (Kestrix::FiberResultReader::readResult(result, data, static_cast<uint32_t>(size)) !=
        Kestrix::ResultReaderStatus::success)
        return 0;
    for (const auto& t : result.tests) {
        if (!t || t->testKind() != Kestrix::FiberTest::Kind::otdr) continue;
        const auto& test = static_cast<const Kestrix::FiberOtdrTest&>(*t);
        for (uint16_t wl : Kestrix::sorWavelengths(test)) {
            const auto bytes = Kestrix::writeSor(test, wl, result.summary.getResultName());
            if (!bytes) continue;
            if (bytes->size() < 2) std::abort();
            const size_t body = bytes->size() - 2;
            const uint16_t stored = static_cast<uint16_t>((*bytes)[body] | (*bytes)[body + 1] << 8);
            if (stored != Kestrix::sorChecksum(bytes->data(), body)) std::abort();
        }
    }
    return 0;
}
