// CopperResultReader::readResult over arbitrary bytes. A result that reads cleanly is also printed at every
// detail level, its wiremap prepared for drawing and, when its test carries a limit, judged again: all must
// cope with whatever was stored.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "copper/CopperResultReader.h"
#include "copper/WireMapData.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Kestrix::CopperResult result;
    if (Kestrix::CopperResultReader::readResult(result, data, static_cast<uint32_t>(size)) !=
        Kestrix::ResultReaderStatus::success)
        return 0;
    for (uint32_t detail = 0; detail <= 2; ++detail) Dump::toJsonString(result, Dump::DumpFlags{detail}, true);
    if (result.test) {
        // The wiremap's presentation model, as the drawing uses it.
        const Kestrix::WireMapData map(&result.test->body.wiremap, &result.test->body.outletConfig, 1, 1);
        char line[32];
        for (int i = 0; i < 3; ++i) (void)map.textLineOut(i, line, sizeof line);
        for (const auto& s : map.shortList()) (void)map.pinColor(s.pin1, s.end);
    }
    if (result.test && result.test->hasLimit()) {
        result.test->recertify(std::numeric_limits<float>::quiet_NaN());
        result.test->recertify(69.0f);
        result.mergeCopperTest(result.test, true);
    }
    return 0;
}
