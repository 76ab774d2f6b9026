// CopperResultReader::readResult over arbitrary bytes. A result that reads cleanly is also printed, its
// wiremap prepared for drawing and, when its test carries a limit, judged again: all must cope with whatever
// was stored. The input's size picks the detail level and the NVP, so one run prints once and judges once.
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
    Dump::toJsonString(result, Dump::DumpFlags{static_cast<uint32_t>(size % 3)}, true);
    if (result.test) {
        // The wiremap's presentation model, as the drawing uses it.
        const Kestrix::WireMapData map(&result.test->body.wiremap, &result.test->body.outletConfig, 1, 1);
        char line[32];
        for (int i = 0; i < 3; ++i) (void)map.textLineOut(i, line, sizeof line);
        for (const auto& s : map.shortList()) (void)map.pinColor(s.pin1, s.end);
    }
    if (result.test && result.test->hasLimit()) {
        result.test->recertify(size % 2 == 0 ? std::numeric_limits<float>::quiet_NaN() : 69.0f);
        result.mergeCopperTest(result.test, true);
    }
    return 0;
}
