#include "copper/CopperTesting.h"

#include <cstdio>

#include "common/PFile.h"
#include "common/ResultEnvelope.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperResultWriter.h"
#include "core/TestFiles.h"
#include "core/Containers.h"

using kx::test::containerOf;
using kx::test::kClassVersionOffset;

namespace {

ResultSummary summaryOf(ResultType type) {
    ResultSummary s;
    s.resultName = "x";
    s.resultType = type;
    return s;
}

ResultReaderStatus readBytes(const std::vector<uint8_t>& bytes, CopperResult& out) {
    return CopperResultReader::readResult(out, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::string tempPath(const char* name) { return (kx::test::freshFolder("copper-result") / name).string(); }

}  // namespace

TEST(CopperResult, Cat6AFileRoundTripsWithDerivedPlotsAndVerdictsAndTheWriterLeavesOutWhatItDoesNotHave) {
    const CopperResult original = kx::test::cat6AResult();
    ASSERT_TRUE(original.test);
    EXPECT_EQ(original.test->body.status, Status::pass);
    EXPECT_EQ(original.summary.numPassTests, 1);
    EXPECT_EQ(original.summary.testFlags, 1u);

    const auto bytes = kx::test::cat6AResultFile();
    ASSERT_FALSE(bytes.empty());
    CopperResult back;
    ASSERT_EQ(readBytes(bytes, back), ResultReaderStatus::success);
    ASSERT_TRUE(back.test);
    EXPECT_EQ(back.summary.resultName, "Cat6A-PL-001");
    // Derived plots (ACR, PSNEXT, PSACR) come back from reading alone: the original had them from its
    // own completeRead(), so the documents differ if reading skips the derivation.
    EXPECT_EQ(Dump::toJsonString(*back.test, Dump::detailLevel(1), true),
              Dump::toJsonString(*original.test, Dump::detailLevel(1), true));

    // Written again, the file is byte-identical.
    EXPECT_EQ(CopperResultWriter::writeResult(back), bytes);

    // Recertified, the verdicts read back stay as they were.
    const auto before = back.test->body.copperfreqs.freqs;
    EXPECT_EQ(back.test->recertify(std::numeric_limits<float>::quiet_NaN()), Status::pass);
    ASSERT_EQ(back.test->body.copperfreqs.freqs.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(back.test->body.copperfreqs.freqs[i].status, before[i].status) << i;
        EXPECT_EQ(back.test->body.copperfreqs.freqs[i].wmLocation, before[i].wmLocation) << i;
    }

    // The writer refuses a small buffer and leaves out plots and raw data the test does not have.
    std::vector<uint8_t> buf(512);
    uint32_t written = 99;
    EXPECT_EQ(CopperResultWriter::writeResultBuffer(buf.data(), static_cast<uint32_t>(buf.size()), written, back),
              ResultWriterStatus::failed);
    EXPECT_EQ(written, 99u);
    EXPECT_EQ(CopperResultWriter::writeResultBuffer(nullptr, 0, written, back), ResultWriterStatus::failed);

    back.test->plots.plots.clear();
    back.test->body.settings.storePlotData = CopperSettings::StorePlotData::off;
    back.test->rawData.clear();
    const auto lean = CopperResultWriter::writeResult(back);
    PFile::MemReader reader;
    ASSERT_EQ(reader.open(lean.data(), static_cast<int32_t>(lean.size())), 0);
    std::vector<uint16_t> types;
    PFile::Section s;
    while (reader.read(s, false) == 0) types.push_back(s.type());
    EXPECT_EQ(types, (std::vector<uint16_t>{200, 700}));
}

TEST(CopperResult, ReaderStatuses) {
    const auto copper = serializeToBytes(summaryOf(ResultType::COPPER));
    const auto testBytes = serializeToBytes(kx::test::cat6APermanentLinkTest()->body);
    auto newer = testBytes;
    newer[kClassVersionOffset] = 7;
    const std::vector<uint8_t> cut(testBytes.begin(),
                                   testBytes.begin() + static_cast<std::ptrdiff_t>(testBytes.size() / 2));
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        ResultReaderStatus status;
    } kCases[] = {
        {"a fiber summary", containerOf({{200, serializeToBytes(summaryOf(ResultType::FIBER))}}),
         ResultReaderStatus::wrongResultType},
        {"only a summary", containerOf({{200, copper}}), ResultReaderStatus::success},
        {"an unknown section", containerOf({{200, copper}, {321, {1, 2, 3}}}), ResultReaderStatus::badData},
        {"a newer body", containerOf({{200, copper}, {700, newer}}), ResultReaderStatus::unsupportedVersion},
        {"a body cut short", containerOf({{200, copper}, {700, cut}}), ResultReaderStatus::badData},
        // How containers break is the envelope's (ResultEnvelope, StatusMappingOfBrokenSummaries).
        {"not a container", {1, 2, 3, 4}, ResultReaderStatus::badContainer},
    };
    for (const auto& c : kCases) {
        CopperResult r;
        EXPECT_EQ(readBytes(c.file, r), c.status) << c.what;
        if (c.status == ResultReaderStatus::success) {
            EXPECT_FALSE(r.test);  // no test section, no test
        }
    }
}

TEST(CopperResult, MergeFillsTheSummaryAndRefusesASecondTestWithoutReplace) {
    CopperResult r;
    auto first = kx::test::cat6APermanentLinkTest();
    auto second = std::make_shared<CopperTest>();
    second->body.status = Status::fail;
    // The time stamp is checked as a number: its text depends on the time zone.
    const auto summary = [&r] {
        Json::Value j = r.summary.toJson(Dump::DumpFlags{2});
        j["ResultSummary"].removeMember("timeStamp");
        return j;
    };
    Json::Value doc;
    // The shortest main-end length of pair 1 (302 ns at NVP 69 %: 62.5 m), its headroom and verdict; then the
    // replacing test's: no length scalar (NaN) and one failed test.
    EXPECT_EQ(r.mergeCopperTest(first, false), 0u);
    EXPECT_EQ(r.summary.timeStamp, first->body.timestamp);
    doc["first"] = summary();
    EXPECT_EQ(r.mergeCopperTest(second, false), CopperResult::kMergeRefused);
    EXPECT_EQ(r.test, first);
    doc["refused"] = summary();
    EXPECT_EQ(r.mergeCopperTest(second, true), 0u);
    doc["replaced"] = summary();
    kx::test::expectGolden(doc, "CopperMergedSummary.json");
}

TEST(CopperResult, RawCsvAndItsRefusals) {
    // Ten lines of preamble, five of headings, one row per frequency; rows past the shorter NEXT trace read 0
    // in its cell.
    const std::string path = tempPath("copper-raw.csv");
    ASSERT_EQ(copperRawToCsv(path, kx::test::cat6AResult()), 0);
    kx::test::expectGolden(kx::test::readText(path), "CopperRaw.csv");
    std::remove(path.c_str());

    CopperResult none;
    EXPECT_EQ(copperRawToCsv(tempPath("x.csv"), none), 5);
    EXPECT_EQ(copperRawToCsv("/nonexistent-dir/x.csv", kx::test::cat6AResult()), 2);
    CopperResult noRaw = kx::test::cat6AResult();
    noRaw.test->rawData.clear();
    EXPECT_EQ(copperRawToCsv(tempPath("x.csv"), noRaw), 4);
    CopperResult tdr = kx::test::cat6AResult();
    tdr.test->rawData.plots.resize(1);
    tdr.test->rawData.plots[0]->testType = CopperTestType::tdr;
    EXPECT_EQ(copperRawToCsv(tempPath("x.csv"), tdr), 3);
}
