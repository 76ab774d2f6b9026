// `kestrix record` as a person reads it: the page of a copper, a loss/length and an OTDR record as text,
// pinned by golden files (KESTRIX_UPDATE_GOLDEN=1 writes them anew), and the calibration that is due.
#include "ReportTesting.h"

#include "CopperLink.h"
#include "tester/record/RecordCalibration.h"
#include "tester/report/RecordText.h"

namespace {

using Kestrix::Tester::TestRecordTarvel;

// A copper result whose main unit's module was calibrated on `calibrated` (seconds since 1970).
std::vector<uint8_t> copperCalibratedAt(int64_t calibrated) {
    Kestrix::CopperResult result = kx::test::cat6AResult();
    const Kestrix::CopperTestPtr test = result.getCopperTest();
    test->body.mainEquipInfo.moduleCalibrationTime = calibrated;
    result.mergeCopperTest(test, true);
    return Kestrix::CopperResultWriter::writeResult(result);
}

TEST(RecordPageText, GoldenPages) {
    const struct {
        const char* golden;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"record-copper.txt", kx::test::cat6AResultFile()},
        {"record-losslength.txt", kx::test::lossLengthResultFile()},
        {"record-otdr.txt", kx::test::otdrResultFile(200)},
        {"record-calibration-due.txt", copperCalibratedAt(1704067200)},
    };
    for (const auto& c : cases) {
        TestRecordTarvel record(c.bytes);
        kx::test::expectGolden(Kestrix::Report::recordText(record, c.golden), c.golden);
    }
}

TEST(RecordPageText, ACoaxLinkShowsItsNumbersWithUnitsAndNoWiremap) {
    const Kestrix::CopperTestPtr test = Kestrix::LinkGen::measureCoaxLink(41.3, 3, {});
    TestRecordTarvel record(kx::test::copperFile(test, "CATV-03"));
    kx::test::expectGolden(Kestrix::Report::recordText(record, "CATV-03.result"), "record-coax.txt");
    // A stored map marked to be shown draws no panel either: a coax cable has no eight pins.
    test->body.wiremap.status = Kestrix::Status::show;
    TestRecordTarvel shown(kx::test::copperFile(test, "CATV-03"));
    std::vector<std::string> names;
    for (const auto& p : Kestrix::Report::recordPictures(shown, {})) names.push_back(p.name);
    EXPECT_EQ(names, std::vector<std::string>{"il"});
}

TEST(RecordCalibration, DueWhenMoreThanAYearBeforeTheTest) {
    // The test is on 2026-05-28; the main unit's module as calibrated. The warning's text is on the golden page.
    const struct {
        int64_t calibrated;
        bool due;
    } cases[] = {
        {1748390400, false},  // 2025-05-28: a year to the day
        {1748304000, true},   // 2025-05-27
        {0, false},           // unknown
    };
    for (const auto& c : cases) {
        TestRecordTarvel record(copperCalibratedAt(c.calibrated));
        const auto warnings = Kestrix::Tester::calibrationWarnings(record);
        EXPECT_EQ(warnings.size(), c.due ? 1u : 0u) << c.calibrated;
    }
}

}  // namespace
