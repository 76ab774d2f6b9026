#include <cstdlib>
#include <ctime>

#include "CliFixture.h"
#include "DumpRegistry.h"
#include "common/EquipmentInformation.h"
#include "storage/Cursor.h"
#include "storage/ProjectStatus.h"
#include "trace/ChannelTable.h"

namespace {
// Model forms give times in local time.
std::string dumpText(const std::vector<uint8_t>& bytes, bool json, uint32_t detail = 1) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    registerPrinters();
    std::ostringstream out;
    DumpOptions o;
    o.json = json;
    o.flags.detail = detail;
    dumpAny(bytes, o, out);
    return out.str();
}
}  // namespace

TEST(DumpCommand, RecognisesBareObjectsByTheirTypeIdAndRefusesTheRest) {
    Kestrix::EquipmentInformation e;
    e.modelSerialNumber = "SN-4711";
    const auto bytes = Kestrix::serializeToBytes(e);
    kx::test::expectGolden(dumpText(bytes, true), "dump-equipment.json");
    kx::test::expectGolden(dumpText(bytes, false), "dump-equipment.txt");

    EXPECT_THROW(dumpText({1, 2, 3}, true), BadInput);
    // A framed object of an unknown type id.
    const std::vector<uint8_t> unknown{0xCD, 0xAB, 1, 1, 0x99, 0x99, 1, 0, 0, 0, 0, 0};
    const std::string reason = kx::test::refusalOf([&] { dumpText(unknown, true); }).what();
    EXPECT_NE(reason.find("0x99990001"), std::string::npos) << reason;
    // A known type id whose payload is cut short.
    EXPECT_THROW(dumpText(std::vector<uint8_t>(bytes.begin(), bytes.end() - 3), false), BadInput);
}

// A result's summary prints without a model printer; with one, the printer follows the summary wherever it
// stands, as the result readers take the sections in any order.
TEST(DumpCommand, ResultSummaryAloneOrAfterTheBody) {
    Kestrix::ResultSummary s;
    s.resultName = "X1";
    s.resultType = static_cast<Kestrix::ResultType>(0);
    PFile::Section sec;
    ASSERT_EQ(Kestrix::setResultSection(sec, PFile::SectionType::ResultSummary, 1, s), 0);
    kx::test::expectGolden(dumpText(PFile::buildContainer({&sec}), true, 2), "dump-summary.json");

    const Kestrix::CopperResult result = kx::test::cat6AResult();
    PFile::Section body, summary;
    ASSERT_EQ(Kestrix::setResultSection(body, PFile::SectionType::CopperTestBody, 6, result.test->body), 0);
    ASSERT_EQ(Kestrix::setResultSection(summary, PFile::SectionType::ResultSummary, 1, result.summary), 0);
    const std::string json = dumpText(PFile::buildContainer({&body, &summary}), true, 2);
    EXPECT_NE(json.find("Cat6A-PL-001"), std::string::npos) << json.substr(0, 400);
    EXPECT_NE(json.find("copperTestBody"), std::string::npos);
}

TEST(DumpCommand, BareChannelTablesProjectsAndSettingsFilesDump) {
    Kestrix::ChannelTable table;
    table.channels.emplace_back("io", Kestrix::TraceLevel::warning);
    const auto bytes = Kestrix::serializeToBytes(table);
    kx::test::expectGolden(dumpText(bytes, false), "dump-channels.txt");
    kx::test::expectGolden(dumpText(bytes, true), "dump-channels.json");

    // The project status shares the table's type id.
    Project::Status status;
    status.numTests = 12;
    EXPECT_NE(dumpText(Kestrix::serializeToBytes(status), true).find("12"), std::string::npos);
    Project::CursorList cursors;
    EXPECT_NO_THROW(dumpText(Kestrix::serializeToBytes(cursors), true));
    kx::test::expectGolden(dumpText(kx::test::bytesOf(kx::test::sampleProject()), true), "dump-project.json");
    kx::test::expectGolden(dumpText(Kestrix::InstrumentSettingsFile::write(kx::test::sampleInstrumentSettings()), true),
                           "dump-settings.json");
}

TEST(DumpCommand, ManifestContainersAndBareDatabaseVersions) {
    kx::test::expectGolden(dumpText(kx::test::manifestContainer(kx::test::sampleManifest(), 102), true),
                           "dump-manifest.json");
    kx::test::expectGolden(dumpText(kx::test::bytesOf(Kestrix::DatabaseVersion(3, 1, 2, 7)), false),
                           "dump-database-version.txt");
    auto bad = kx::test::sampleManifest();
    bad.list.descriptors.clear();
    EXPECT_THROW(dumpText(kx::test::manifestContainer(bad), false), BadInput);
}
