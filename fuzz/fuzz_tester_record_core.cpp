// A test record over arbitrary result bytes: every query the host makes of a record, in the order an import
// makes them, then the host record JSON and text. None may crash or read out of bounds whatever was stored.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "tester/record/HostRecordJson.h"
#include "tester/record/HostRecordText.h"
#include "tester/record/TestRecordTarvel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Kestrix::Tester;
    std::vector<uint8_t> bytes(data, data + size);
    RecordSummary summary;
    TestRecordTarvel::LoadSummary(&summary, bytes);

    TestRecordTarvel record(std::move(bytes));
    record.GetMetaData().Project = "fuzz";
    record.GetMediaType();
    record.ExtractMetaDataFromResult();
    for (int id : {0, 1, 8, 15, 20, 21, 22, 23, 24, 25, 28, 29, 30, 31, 32, 33, 42, 99}) record.GetTestMetaData(id);
    for (const RecordTest& t : record.GetTests()) record.GetTestMetaData(t.TestId);
    record.ContainsRawData();
    record.GetOtdrInterface();
    record.GetCopperInterface();
    record.GetCopperTest();
    hostRecordJsonText(hostRecordJson(record));
    hostRecordText(record);
    // The raw-data export writes a file: only into a scratch path of this process.
    static const std::string scratch =
        (std::filesystem::temp_directory_path() / ("kx-fuzz-record-" + std::to_string(::getpid()) + ".csv")).string();
    record.ExportRawDataToCSV(scratch);
    std::error_code ec;
    std::filesystem::remove(scratch, ec);
    return 0;
}
