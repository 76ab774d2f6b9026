// The fiber side of a test record over arbitrary result bytes: every Get the host makes, at both ends
// (and the bidirectional end), with traces, SR-4731 series and the bidirectional average against itself.
// None may crash or read out of bounds whatever was stored.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tester/record/FiberRecordJson.h"
#include "tester/record/TestRecordTarvel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Kestrix::Tester;
    TestRecordTarvel record(std::vector<uint8_t>(data, data + size));
    if (record.GetFiberResult() == nullptr) return 0;
    for (int end : {0, 1, 2, 3}) {
        record.HasLossTest(end);
        record.GetLossTest(end);
        record.GetPowerTest(end);
        record.HasOtdrTest(end);
        record.GetOtdrTest(end);
        record.GetRealTimeOtdrTest(end);
        record.GetRealTimeOtdrPlotData(end);
        record.GetImageTest(end);
        for (bool raw : {true, false}) {
            if (auto plots = record.GetOtdrPlotData(end, raw)) record.LoadBellcoreData(*plots, end);
        }
        OtdrPlotData empty;
        record.LoadBellcoreData(empty, end);
    }
    record.HasEventMapTest();
    record.GetEventMapTest();
    record.GetFaultMapTest();
    record.GetFaultMapOtdrTest();
    record.GetFaultMapPlotData();
    record.GenerateOtdrBidirAvgFromResult();
    record.GenerateOtdrBidirAvgFromResult(&record);
    record.GetSpanFromResult();
    for (int id : {0, 20, 21, 22, 24, 25, 28, 30, 32, 33, 42, 99}) record.GetTestedFiberWavlengths(id);
    fiberTestsJson(record, true);
    fiberTestsText(record);
    return 0;
}
