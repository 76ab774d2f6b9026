#include "tester/record/TestRecordTarvel.h"

#include "copper/CopperResult.h"
#include "fiber/FiberResult.h"

namespace Kestrix::Tester {

TestRecordTarvel::TestRecordTarvel() = default;
TestRecordTarvel::TestRecordTarvel(std::vector<uint8_t> bytes) { SetSerializedResult(std::move(bytes)); }
TestRecordTarvel::~TestRecordTarvel() = default;
TestRecordTarvel::TestRecordTarvel(TestRecordTarvel&&) noexcept = default;
TestRecordTarvel& TestRecordTarvel::operator=(TestRecordTarvel&&) noexcept = default;

void TestRecordTarvel::SetSerializedResult(std::vector<uint8_t> bytes) {
    _bytes = std::move(bytes);
    discardDecoded();
}

void TestRecordTarvel::discardDecoded() {
    _fiber.reset();
    _copper.reset();
    _media = kMediaUnknown;
}

bool TestRecordTarvel::LoadSummary(RecordSummary*, const std::vector<uint8_t>&) { return false; }
int TestRecordTarvel::GetMediaType() { return _media; }
FiberResult* TestRecordTarvel::GetFiberResult() { return nullptr; }
CopperResult* TestRecordTarvel::GetCopperResult() { return nullptr; }
CopperTest* TestRecordTarvel::GetCopperTest() { return nullptr; }
boost::optional<RecordMetaData> TestRecordTarvel::ExtractMetaDataFromResult() { return boost::none; }
boost::optional<TestMetaData> TestRecordTarvel::GetTestMetaData(int) { return boost::none; }
std::vector<int> TestRecordTarvel::GetTestIds() { return {}; }
int TestRecordTarvel::ContainsRawData() { return -1; }
std::string TestRecordTarvel::ExportRawDataToCSV(const std::string&) {
    return "Result does not contain a copper or fiber test";
}
TestRecordTarvel* TestRecordTarvel::GetOtdrInterface() { return nullptr; }
TestRecordTarvel* TestRecordTarvel::GetFiberLossPowerInterface() { return nullptr; }
TestRecordTarvel* TestRecordTarvel::GetFiberImageInterface() { return nullptr; }
TestRecordTarvel* TestRecordTarvel::GetCopperInterface() { return nullptr; }
boost::optional<TestMetaData> TestRecordTarvel::fiberTestMetaData(int) { return boost::none; }
boost::optional<TestMetaData> TestRecordTarvel::copperTestMetaData(int) { return boost::none; }

}  // namespace Kestrix::Tester
