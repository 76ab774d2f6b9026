// The test record's summary, media type, decoding, record metadata and raw data.

#include <filesystem>

#include "tester/record/RecordTesting.h"
#include "core/TestBytes.h"
#include "core/TestFiles.h"
#include "core/Containers.h"

using kx::test::containerOf;
using kx::test::kClassVersionOffset;
namespace fs = std::filesystem;

// The summary of each kind of result is pinned by record/golden (RecordJson.GoldenDocuments).
TEST(RecordSummary, NothingToDoMissingOrUnreadable) {
    EXPECT_TRUE(TestRecordTarvel::LoadSummary(nullptr, kx::test::lossLengthResultFile()));
    RecordSummary s;
    s.CableID = "untouched";
    EXPECT_TRUE(TestRecordTarvel::LoadSummary(&s, {}));
    EXPECT_EQ(s.CableID, "untouched");
    EXPECT_FALSE(TestRecordTarvel::LoadSummary(&s, {1, 2, 3, 4}));
    auto cut = kx::test::lossLengthResultFile();
    cut.resize(30);
    EXPECT_FALSE(TestRecordTarvel::LoadSummary(&s, cut));
}

TEST(TestRecord, MediaTypeDecodingInterfacesAndNewBytes) {
    TestRecordTarvel fiber(kx::test::lossLengthResultFile());
    EXPECT_EQ(fiber.GetMediaType(), kMediaFiber);
    EXPECT_TRUE(fiber.IsFiber());
    ASSERT_NE(fiber.GetFiberResult(), nullptr);
    EXPECT_EQ(fiber.GetFiberResult(), fiber.GetFiberResult());  // decoded once
    EXPECT_EQ(fiber.GetCopperResult(), nullptr);
    EXPECT_EQ(fiber.GetCopperTest(), nullptr);
    EXPECT_EQ(fiber.GetOtdrInterface(), &fiber);
    EXPECT_EQ(fiber.GetFiberLossPowerInterface(), &fiber);
    EXPECT_EQ(fiber.GetFiberImageInterface(), &fiber);
    EXPECT_EQ(fiber.GetCopperInterface(), nullptr);
    EXPECT_EQ(fiber.GetReCertInterface(), &fiber);
    EXPECT_TRUE(fiber.HasMediaTests());
    EXPECT_FALSE(fiber.HasNoise() || fiber.HasMultiTest() || fiber.HasChannelMapTest() || fiber.HasOtdrBidirAvgTable());
    EXPECT_FALSE(fiber.GetMultiTest() || fiber.GetChannelMapTest() || fiber.GetChannelMapOtdrTest() ||
                 fiber.GetChannelMapPlotData() || fiber.GetOtdrBidirAvgTable());
    // New bytes name the record anew (its old name: record/golden/losslength.json) and forget the old result.
    fiber.SetSerializedResult(kx::test::cat6AResultFile());
    EXPECT_EQ(fiber.GetMetaData().RawCableID, "Cat6A-PL-001");
    EXPECT_EQ(fiber.GetFiberResult(), nullptr);
    EXPECT_NE(fiber.GetCopperResult(), nullptr);
    EXPECT_EQ(fiber.GetMediaType(), kMediaCopper);

    TestRecordTarvel copper(kx::test::cat6AResultFile());
    EXPECT_EQ(copper.GetMediaType(), kMediaCopper);
    const CopperTest* held = copper.GetCopperTest();
    ASSERT_NE(held, nullptr);
    // Asking for the other kind fails without freeing what a caller already holds.
    EXPECT_EQ(copper.GetFiberResult(), nullptr);
    EXPECT_EQ(copper.GetFiberResult(), nullptr);
    EXPECT_EQ(copper.GetCopperTest(), held);
    EXPECT_EQ(held->getOperatorName(), "J. Doe");
    EXPECT_EQ(copper.GetCopperInterface(), &copper);
    EXPECT_EQ(copper.GetOtdrInterface(), nullptr);

    TestRecordTarvel empty;
    EXPECT_EQ(empty.GetMediaType(), kMediaUnknown);
    EXPECT_EQ(empty.GetFiberResult(), nullptr);
    EXPECT_FALSE(empty.ExtractMetaDataFromResult());
    EXPECT_EQ(empty.GetOtdrInterface(), nullptr);
}

TEST(TestRecord, TooNewResultIsFlaggedAndGivesNoMetadata) {
    auto summary = kx::test::bytesOf(kx::test::fiberSummary());
    auto test = kx::test::bytesOf(kx::test::lossLengthTest());
    test[kClassVersionOffset] = 0xFF;
    TestRecordTarvel r(containerOf({{200, summary}, {321, test}}));
    EXPECT_EQ(r.GetMediaType(), kMediaFiber);
    EXPECT_FALSE(r.LastRecTooNew());
    EXPECT_EQ(r.GetFiberResult(), nullptr);
    EXPECT_TRUE(r.LastRecTooNew());
    EXPECT_FALSE(r.ExtractMetaDataFromResult());
    EXPECT_TRUE(r.LastRecTooNew());
    EXPECT_FALSE(r.GetTestMetaData(20));
    // The summary alone still lists it.
    RecordSummary s;
    EXPECT_TRUE(TestRecordTarvel::LoadSummary(&s, r.SerializedResult()));

    // A newer summary is seen already when the media type is read.
    summary[kClassVersionOffset] = 0xFF;
    TestRecordTarvel s2(containerOf({{200, summary}}));
    EXPECT_EQ(s2.GetMediaType(), kMediaUnknown);
    EXPECT_TRUE(s2.LastRecTooNew());
}

TEST(TestRecord, OtdrSpanOfTheEnd1Test) {
    FiberResult r = kx::test::otdrOnly({CableEnd::end2, CableEnd::end1});
    auto* end1 = dynamic_cast<FiberOtdrTest*>(r.getTest(FiberTestType::otdrEnd1));
    end1->settings.span =
        FibDbus::OtdrSpan(ScaledInt(150.0f, ScaledInt::tenths), ScaledInt(2150.0f, ScaledInt::tenths));
    auto* end2 = dynamic_cast<FiberOtdrTest*>(r.getTest(FiberTestType::otdrEnd2));
    end2->settings.span = FibDbus::OtdrSpan(ScaledInt(1.0f, ScaledInt::tenths), ScaledInt(2.0f, ScaledInt::tenths));
    TestRecordTarvel rec(kx::test::fiberFile(r));
    auto meta = rec.ExtractMetaDataFromResult();
    ASSERT_TRUE(meta && meta->OtdrSpan);
    EXPECT_DOUBLE_EQ(meta->OtdrSpan->Start, 150.0);
    EXPECT_DOUBLE_EQ(meta->OtdrSpan->Stop, 2150.0);
    EXPECT_EQ(meta->OtdrSpan->End, 1);

    // Bit 30 of the warnings: the tester did not apply its span.
    end1->overallResults.warningFlags |= 1u << 30;
    TestRecordTarvel flagged(kx::test::fiberFile(r));
    meta = flagged.ExtractMetaDataFromResult();
    ASSERT_TRUE(meta);
    EXPECT_FALSE(meta->OtdrSpan);
}

TEST(TestRecord, RawDataPresenceAndCsvExport) {
    const fs::path dir = kx::test::freshFolder("record-core");

    TestRecordTarvel copper(kx::test::cat6AResultFile());
    EXPECT_EQ(copper.ContainsRawData(), 1);
    const fs::path csv = dir / "copper.csv";
    fs::remove(csv);
    EXPECT_EQ(copper.ExportRawDataToCSV(csv.string()), "");
    EXPECT_GT(fs::file_size(csv), 0u);
    EXPECT_EQ(copper.ExportRawDataToCSV((dir / "missing-dir" / "x.csv").string()), "Unable to open file");

    auto noRaw = kx::test::cat6APermanentLinkTest();
    noRaw->rawData = CopperRawData();
    TestRecordTarvel copperNoRaw(kx::test::copperFile(noRaw));
    EXPECT_EQ(copperNoRaw.ContainsRawData(), -2);
    EXPECT_EQ(copperNoRaw.ExportRawDataToCSV((dir / "none.csv").string()), "Result contains no raw data");

    TestRecordTarvel otdr(kx::test::fiberFile(kx::test::otdrOnly({CableEnd::end1})));
    EXPECT_EQ(otdr.ContainsRawData(), -3);
    EXPECT_EQ(otdr.ExportRawDataToCSV((dir / "otdr.csv").string()), "Result contains no raw data");

    FiberResult withImage = kx::test::otdrOnly({CableEnd::end1});
    withImage.addTest(std::make_unique<Kestrix::FiberImageTest>(kx::test::imageTest(FiberTestType::imageEnd2)));
    TestRecordTarvel image(kx::test::fiberFile(withImage));
    EXPECT_EQ(image.ContainsRawData(), 1);
    EXPECT_EQ(image.ExportRawDataToCSV((dir / "image.csv").string()), "");

    TestRecordTarvel junk(std::vector<uint8_t>{0x50, 0x46, 0, 0, 1});
    EXPECT_EQ(junk.ContainsRawData(), -1);
    EXPECT_EQ(junk.ExportRawDataToCSV((dir / "junk.csv").string()), "Result does not contain a copper or fiber test");
}

// Every query on every prefix: the record fuzz target. Here: no prefix gives metadata, the whole file does.
TEST(TestRecord, NoPrefixOfAResultFileGivesMetadata) {
    for (const auto& bytes : {kx::test::lossLengthResultFile(), kx::test::cat6AResultFile(),
                              kx::test::fiberFile(kx::test::otdrOnly({CableEnd::end1}))}) {
        for (size_t n = 0; n < bytes.size(); n += n < 2048 ? 1 : 97) {
            TestRecordTarvel r(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
            EXPECT_FALSE(r.ExtractMetaDataFromResult()) << n;
        }
        EXPECT_TRUE(TestRecordTarvel(bytes).ExtractMetaDataFromResult());
    }
}
