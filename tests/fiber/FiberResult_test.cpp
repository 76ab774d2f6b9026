#include "fiber/FiberTesting.h"

#include <cstdio>
#include <sstream>

#include "fiber/FiberRawCsv.h"
#include "fiber/FiberResultReader.h"
#include "fiber/FiberResultWriter.h"
#include "core/TestFiles.h"
#include "core/Containers.h"

using kx::test::containerOf;

namespace {

std::vector<uint8_t> write(const FiberResult& r) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(FiberResultWriter::writeResult(r, bytes), ResultWriterStatus::success);
    return bytes;
}

ResultReaderStatus read(FiberResult& r, const std::vector<uint8_t>& bytes) {
    return FiberResultReader::readResult(r, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::vector<uint8_t> summaryBytes(ResultType type) {
    ResultSummary s = kx::test::fiberSummary();
    s.resultType = type;
    return bytesOf(s);
}

FiberResult everyKindResult() {
    FiberResult r = kx::test::lossLengthResult();
    r.addTest(std::make_unique<FiberOtdrTest>(kx::test::otdrTest(CableEnd::end1, 200)));
    r.addTest(std::make_unique<FiberOtdrTest>(kx::test::otdrTest(CableEnd::end2, 200)));
    r.addTest(std::make_unique<FiberImageTest>(kx::test::imageTest(FiberTestType::imageEnd2)));
    return r;
}

}  // namespace

TEST(FiberResultFile, EveryTestKindRoundTripsInSectionsOfItsTypeAndIsFoundByType) {
    const auto bytes = write(everyKindResult());
    FiberResult back;
    ASSERT_EQ(read(back, bytes), ResultReaderStatus::success);
    ASSERT_EQ(back.tests.size(), 5u);
    EXPECT_EQ(write(back), bytes);

    PFile::MemReader reader;
    ASSERT_EQ(reader.open(bytes.data(), static_cast<int32_t>(bytes.size())), 0);
    std::vector<uint16_t> types;
    PFile::Section s;
    while (reader.read(s, false) == 0) {
        types.push_back(s.type());
        EXPECT_NE(s.header.flags & PFile::SECTION_FLAG_COMPRESSED, 0u);
    }
    EXPECT_EQ(types, (std::vector<uint16_t>{200, 321, 323, 300, 301, 302, 303, 304, 305, 327, 328}));

    // Lookups by test type.
    ASSERT_NE(back.getTest(FiberTestType::otdrEnd1), nullptr);
    ASSERT_NE(back.getTest(FiberTestType::otdrEnd2), nullptr);
    EXPECT_NE(back.getTest(FiberTestType::otdrEnd1), back.getTest(FiberTestType::otdrEnd2));
    EXPECT_EQ(back.getTest(FiberTestType::imageEnd1), nullptr);
    EXPECT_EQ(back.getTest(FiberTestType::lossLength)->testKind(), FiberTest::Kind::lossLength);

    const size_t before = back.tests.size();
    EXPECT_EQ(&back.otdrTest(FiberTestType::otdrEnd1), back.getTest(FiberTestType::otdrEnd1));
    EXPECT_EQ(back.tests.size(), before);
    // A test of another class under that type: a new one of the requested class is appended.
    FiberImageTest& img = back.imageTest(FiberTestType::lossLength);
    EXPECT_EQ(back.tests.size(), before + 1);
    EXPECT_EQ(img.summary.testType, FiberTestType::lossLength);
    EXPECT_EQ(back.getTest(FiberTestType::lossLength)->testKind(), FiberTest::Kind::lossLength);
}

TEST(FiberResultFile, ReaderStatusesAndSectionsOfOneBitFillingOneTest) {
    const auto fiber = summaryBytes(ResultType::FIBER);
    const auto ll = bytesOf(kx::test::lossLengthTest());
    const auto file = kx::test::lossLengthResultFile();
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        ResultReaderStatus status;
    } kCases[] = {
        {"only a summary", containerOf({{200, fiber}}), ResultReaderStatus::success},
        {"a copper summary", containerOf({{200, summaryBytes(ResultType::COPPER)}}),
         ResultReaderStatus::wrongResultType},
        {"an unknown section", containerOf({{200, fiber}, {322, ll}}), ResultReaderStatus::badData},
        {"a loss/length test in a power meter section", containerOf({{200, fiber}, {323, ll}}),
         ResultReaderStatus::badData},
        {"half a file",
         {file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2)},
         ResultReaderStatus::badContainer},
    };
    for (const auto& c : kCases) {
        FiberResult r;
        EXPECT_EQ(read(r, c.file), c.status) << c.what;
        if (c.status == ResultReaderStatus::success) {
            EXPECT_TRUE(r.tests.empty());
        }
    }
    FiberResult r;
    EXPECT_EQ(FiberResultReader::readResult(r, nullptr, 0), ResultReaderStatus::badContainer);

    FiberOtdrTest t = kx::test::otdrTest(CableEnd::end1, 50);
    t.summary.testType = FiberTestType::otdrEnd2;  // stored body disagrees with its section
    const auto body = bytesOf(FiberOtdrTestBodyRef(static_cast<const FiberOtdrTest&>(t)));
    const auto plots = bytesOf(t.plots);
    FiberResult one;
    ASSERT_EQ(read(one, containerOf({{200, summaryBytes(ResultType::FIBER)}, {300, body}, {301, plots}})),
              ResultReaderStatus::success);
    ASSERT_EQ(one.tests.size(), 1u);
    EXPECT_EQ(dynamic_cast<FiberOtdrTest&>(*one.tests[0]).plots.plotCount(), 4u);
}

TEST(FiberResultFile, DumpJsonAndAWriterThatRefusesATestWithoutSections) {
    FiberResult r = kx::test::lossLengthResult();
    kx::test::expectGolden(Dump::dumpToString(r, Dump::DumpFlags{1}), "FiberResult.txt");
    kx::test::expectGolden(r.toJson(Dump::DumpFlags{1}), "FiberResult.json");
    r.addTest(std::make_unique<FiberOtdrTest>(FiberTestType::patchCordEnd1));
    std::vector<uint8_t> bytes;
    EXPECT_EQ(FiberResultWriter::writeResult(r, bytes), ResultWriterStatus::failed);
    uint32_t written = 7;
    std::vector<uint8_t> small(16);
    EXPECT_EQ(FiberResultWriter::writeResultBuffer(small.data(), 16, written, kx::test::lossLengthResult()),
              ResultWriterStatus::failed);
    EXPECT_EQ(written, 0u);
    const auto file = kx::test::lossLengthResultFile();
    std::vector<uint8_t> big(file.size());
    ASSERT_EQ(FiberResultWriter::writeResultBuffer(big.data(), static_cast<uint32_t>(big.size()), written,
                                                   kx::test::lossLengthResult()),
              ResultWriterStatus::success);
    EXPECT_EQ(big, file);
}

TEST(FiberRawCsv, OneBlockPerEndMicrometresRoundAtTheHundredthKeepTheSignAndStatusCodes) {
    // End 2 alone: ten lines of preamble, its block, a row per feature.
    FiberResult r;
    r.addTest(std::make_unique<FiberImageTest>(kx::test::imageTest(FiberTestType::imageEnd2)));
    std::ostringstream end2;
    ASSERT_EQ(fiberToRawCsv(end2, r), FiberRawCsvStatus::written);
    kx::test::expectGolden(end2.str(), "FiberRawEnd2.csv");

    // Both ends, end 2 dirty and blurry at 25000 nm per px (1234 px is 308.5 um).
    FiberResult two;
    two.addTest(std::make_unique<FiberImageTest>(kx::test::imageTest(FiberTestType::imageEnd1)));
    FiberImageTest e2 = kx::test::imageTest(FiberTestType::imageEnd2);
    e2.flags = FiberImageTest::kFlagDirty | FiberImageTest::kFlagBlurry;
    e2.nmPerPx = 25000;
    two.addTest(std::make_unique<FiberImageTest>(e2));
    std::ostringstream both;
    ASSERT_EQ(fiberToRawCsv(both, two), FiberRawCsvStatus::written);
    kx::test::expectGolden(both.str(), "FiberRawBothEnds.csv");

    std::ostringstream none;
    EXPECT_EQ(fiberToRawCsv(none, kx::test::lossLengthResult()), FiberRawCsvStatus::noImageTest);
    FiberResult one;
    FiberImageTest t = kx::test::imageTest(FiberTestType::imageEnd1);
    t.featureObjects.resize(1);
    t.featureObjects[0].distanceFromCenter = 1234;
    t.featureObjects[0].width = -1234;
    t.nmPerPx = 250;
    one.addTest(std::make_unique<FiberImageTest>(t));
    std::ostringstream out;
    ASSERT_EQ(fiberToRawCsv(out, one), FiberRawCsvStatus::written);
    EXPECT_NE(out.str().find("defect, 3.1, -3.0, "), std::string::npos);
    // Extreme stored values do not overflow.
    one.imageTest(FiberTestType::imageEnd1).nmPerPx = INT32_MAX;
    one.imageTest(FiberTestType::imageEnd1).featureObjects[0].distanceFromCenter = INT32_MIN;
    std::ostringstream big;
    EXPECT_EQ(fiberToRawCsv(big, one), FiberRawCsvStatus::written);

    EXPECT_EQ(fiberToRawCsv(std::string("/nonexistent-dir/x.csv"), one), FiberRawCsvStatus::cannotOpen);
    one.imageTest(FiberTestType::imageEnd1).image.imageFormat = static_cast<FiberImage::Format>(1);
    EXPECT_EQ(fiberToRawCsv(none, one), FiberRawCsvStatus::unsupportedImageFormat);
    // Shown by the record conversion as "Unable to read file"; 3 would read "No displayable plots in data".
    EXPECT_EQ(static_cast<int32_t>(FiberRawCsvStatus::unsupportedImageFormat), 1);
    EXPECT_TRUE(none.str().empty());

    const std::string path = (kx::test::freshFolder("fiber-result") / "fiber-raw.csv").string();
    one.imageTest(FiberTestType::imageEnd1).image.imageFormat = FiberImage::Format::png;
    ASSERT_EQ(fiberToRawCsv(path, one), FiberRawCsvStatus::written);
    EXPECT_EQ(kx::test::readText(path).rfind("Generated by resultdump\n", 0), 0u);
    std::remove(path.c_str());
}
