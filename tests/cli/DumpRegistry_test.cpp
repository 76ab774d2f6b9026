#include <gtest/gtest.h>

#include <sstream>

#include "Command.h"
#include "DumpRegistry.h"
#include "common/EquipmentInformation.h"
#include "common/ResultEnvelope.h"

using namespace kx::cli;

namespace {
std::string dumpText(const std::vector<uint8_t>& bytes, bool json, uint32_t detail = 1) {
    std::ostringstream out;
    DumpOptions o;
    o.json = json;
    o.flags.detail = detail;
    dumpAny(bytes, o, out);
    return out.str();
}
}  // namespace

TEST(DumpCommand, RecognisesBareObjectsByTheirTypeId) {
    Kestrix::EquipmentInformation e;
    e.modelSerialNumber = "SN-4711";
    const auto bytes = Kestrix::serializeToBytes(e);
    const std::string json = dumpText(bytes, true);
    EXPECT_NE(json.find("\"modelSerialNumber\" : \"SN-4711\""), std::string::npos) << json;
    EXPECT_NE(dumpText(bytes, false).find("SN-4711"), std::string::npos);
}

TEST(DumpCommand, PrintsTheSummaryOfAResultWithoutAModelPrinter) {
    Kestrix::ResultSummary s;
    s.resultName = "X1";
    s.resultType = static_cast<Kestrix::ResultType>(0);
    PFile::Section sec;
    ASSERT_EQ(Kestrix::setResultSection(sec, PFile::SectionType::ResultSummary, 1, s), 0);
    const auto bytes = PFile::buildContainer({&sec});
    EXPECT_NE(dumpText(bytes, true, 2).find("\"resultName\" : \"X1\""), std::string::npos);
}

TEST(DumpCommand, RefusesWhatItCannotRecognise) {
    EXPECT_THROW(dumpText({1, 2, 3}, true), BadInput);
    // A framed object of an unknown type id.
    const std::vector<uint8_t> unknown{0xCD, 0xAB, 1, 1, 0x99, 0x99, 1, 0, 0, 0, 0, 0};
    try {
        dumpText(unknown, true);
        FAIL();
    } catch (const BadInput& e) {
        EXPECT_NE(std::string(e.what()).find("0x99990001"), std::string::npos);
    }
    // A known type id whose payload is cut short.
    Kestrix::EquipmentInformation e;
    auto bytes = Kestrix::serializeToBytes(e);
    bytes.resize(bytes.size() - 3);
    EXPECT_THROW(dumpText(bytes, false), BadInput);
}
