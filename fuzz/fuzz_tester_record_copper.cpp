// The copper side of a test record over arbitrary result bytes: every copper query the host makes, the
// wiremap text and picture included. None may crash, read out of bounds or stall whatever was stored.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "copper/CopperTest.h"
#include "tester/record/CopperRecordJson.h"
#include "tester/record/TestRecordTarvel.h"

// fontconfig keeps its font caches behind offsets rather than pointers, so the leak checker cannot see
// that they are still reachable: they are no leak of an input.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Kestrix::Tester;
    TestRecordTarvel record(std::vector<uint8_t>(data, data + size));
    for (int id : {0, 1, 2, 3, 4, 5, 40, 41, 99}) {
        record.HasScalarTest(id);
        record.GetScalarTest(id);
        record.GetPairLabels(id);
    }
    for (int id : {7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 34, 35, 36, 37, 38, 39, -1}) {
        record.HasFrequencyTest(id);
        record.GetFrequencyTest(id);
        for (int end : {0, 1, 2, 3}) {
            record.HasPlotData(id, end);
            record.GetPlotDataTp(id, end);
        }
    }
    record.HasPlotData();
    record.HasTdrCoaxTest();
    record.GetTdrCoaxTest();
    record.HasWireMapTest();
    record.GetWireMapText();
    WireMapTest plain;
    if (const auto w = record.GetWireMapTest()) plain = *w;
    record.GetWireMapBitmap(plain);
    plain.Meters = false;
    plain.LengthUnit = "ft";
    record.GetWireMapBitmap(plain);
    TestRecordTarvel::PreCheck(record.GetCopperTest(), nullptr);
    if (record.GetCopperTest() != nullptr && record.GetCopperTest()->hasLimit())
        TestRecordTarvel::PreCheck(record.GetCopperTest(), record.GetCopperTest()->getLimit().get());
    copperTestsJson(record, true);
    copperTestsText(record);
    return 0;
}
