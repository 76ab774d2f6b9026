// The certification report on generated records: one page per link, totals for every stored status in both
// sinks, verdict conflicts, damaged inputs, the size of a 200-record HTML report, the summary export, and
// refusals that leave nothing behind.
#include "ReportTesting.h"

#include "tester/report/Export.h"
#include "tester/report/Report.h"
#include "tester/report/SummaryRows.h"
#include "core/ToolRun.h"

namespace {

using kx::test::readText;
using kx::test::writeBytes;

bool havePoppler() { return fs::exists("/usr/bin/pdfinfo") && fs::exists("/usr/bin/pdftotext"); }

// What a poppler tool prints about `pdf`, its output in the folder of the file.
std::string poppler(const std::string& tool, const std::vector<std::string>& args, const fs::path& pdf) {
    return kx::test::runTool("/usr/bin/" + tool, args, pdf.parent_path().string()).out;
}

int pdfPages(const fs::path& pdf) {
    const std::string out = poppler("pdfinfo", {pdf.string()}, pdf);
    const size_t at = out.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(out.substr(at + 6));
}

// The HTML report of `files`, written to `out`.
std::string htmlReport(const std::vector<std::string>& files, const fs::path& out, ReportOptions o = {}) {
    o.html = true;
    EXPECT_EQ(writeReport(files, out.string(), o), "");
    return readText(out);
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::vector<uint8_t> copperStoring(const Kestrix::CopperTestPtr& test, const char* id, Kestrix::Status stored) {
    return kx::test::copperFile(test, id, &stored);
}

Kestrix::CopperTestPtr failingLink() {
    auto t = kx::test::cat6APermanentLinkTest();
    for (auto& s : t->body.scalars)
        if (s.copperTestType == Kestrix::CopperTestType::resist && s.wirePair == Kestrix::WirePair::pair3)
            s.value = 31.6f;
    t->recertify(t->body.settings.nvp.toFloat());
    return t;
}

// A power meter reading, judged by no limit, storing whatever status it is given.
std::vector<uint8_t> readingStoring(const char* id, Kestrix::Status stored) {
    Kestrix::FiberResult r;
    r.summary = kx::test::fiberSummary(id);
    r.summary.status = stored;
    r.addTest(std::make_unique<Kestrix::FiberPowerMeterTest>(kx::test::powerMeterTest()));
    return kx::test::fiberFile(r);
}

// One of each kind of link a report holds.
std::vector<std::string> mixedInputs(const fs::path& dir) {
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"cu-pass", copperStoring(kx::test::cat6APermanentLinkTest(), "CU-PASS", Kestrix::Status::pass)},
        {"cu-fail", copperStoring(failingLink(), "CU-FAIL", Kestrix::Status::fail)},
        {"ll", kx::test::lossLengthResultFile()},
        {"otdr", kx::test::otdrResultFile(3000)},
        {"pm", readingStoring("PM-1", Kestrix::Status::show)},
    };
    std::vector<std::string> out;
    for (const auto& [name, bytes] : files) {
        writeBytes(dir / (name + ".result"), bytes);
        out.push_back((dir / (name + ".result")).string());
    }
    return out;
}

TEST(SummaryRow, EveryFieldAndNoMarginWithoutAJudgedTest) {
    Kestrix::Tester::TestRecordTarvel copper(kx::test::cat6AResultFile());
    const SummaryRow c = summaryRow(copper, "Harbor", "Floor 2");
    kx::test::expectGolden(exportJson({c}), "summary-row.json");
    // A headroom stored in the summary is not a margin of any test.
    Kestrix::Tester::TestRecordTarvel reading(readingStoring("PM-1", Kestrix::Status::show));
    EXPECT_FALSE(summaryRow(reading, "", "").worst);
}

TEST(CollectInputs, FilesAndImportFolders) {
    const fs::path dir = kx::test::freshFolder("report-collect");
    writeBytes(dir / "P" / "S" / "b.result", {1});
    writeBytes(dir / "P" / "a.result", {1});
    writeBytes(dir / "P" / "a.json", {1});
    std::vector<std::string> files;
    EXPECT_EQ(collectInputs({(dir / "P").string()}, files), "");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(fs::path(files[0]).filename(), "b.result");  // P/S/b.result sorts before P/a.result
    EXPECT_NE(collectInputs({(dir / "nope").string()}, files), "");
    fs::create_directories(dir / "empty");
    EXPECT_NE(collectInputs({(dir / "empty").string()}, files), "");
}

// A few links take one summary sheet, 130 take more; every link has a page of its own that does not run on.
TEST(Report, OnePagePerLinkAfterTheSummarySheets) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils not installed";
    const fs::path dir = kx::test::freshFolder("report-pages");
    std::vector<std::string> many;
    for (int i = 0; i < 130; ++i) {
        many.push_back((dir / "many" / ("ll" + std::to_string(1000 + i) + ".result")).string());
        writeBytes(many.back(), kx::test::lossLengthResultFile());
    }
    for (const auto& files : {mixedInputs(dir / "in"), many}) {
        ASSERT_EQ(writeReport(files, (dir / "r.pdf").string(), {}), "");
        const std::string text = poppler("pdftotext", {"-layout", (dir / "r.pdf").string(), "-"}, dir / "r.pdf");
        const size_t sheets = count(text, "Summary, sheet");
        EXPECT_EQ(sheets > 1, files.size() == 130) << sheets;
        EXPECT_EQ(pdfPages(dir / "r.pdf"), static_cast<int>(sheets + files.size()));
        if (files.size() < 130) {
            EXPECT_EQ(count(text, "(continued)"), 0u) << text;
        }
    }
    // Fonts are embedded.
    const std::string fonts = poppler("pdffonts", {(dir / "r.pdf").string()}, dir / "r.pdf");
    EXPECT_NE(fonts.find("LiberationSans"), std::string::npos);
}

// Every stored status is counted where it belongs, in the PDF and in the HTML alike.
TEST(Report, TotalsCountEveryStoredStatusInBothSinks) {
    const fs::path dir = kx::test::freshFolder("report-totals");
    // Native status -> host: pass 4, pass* 3, pass acceptable 7, fail and fail* 0, the rest no verdict.
    std::vector<std::string> files;
    for (const auto& [id, stored] :
         std::vector<std::pair<const char*, Kestrix::Status>>{{"A", Kestrix::Status::pass},
                                                              {"B", Kestrix::Status::passStar},
                                                              {"C", Kestrix::Status::passAcceptable},
                                                              {"D", Kestrix::Status::show},
                                                              {"E", Kestrix::Status::notSet},
                                                              {"F", Kestrix::Status::dontShow}}) {
        files.push_back((dir / "in" / (std::string(id) + ".result")).string());
        writeBytes(files.back(), readingStoring(id, stored));
    }
    // Failures: a failing loss/length test stored as FAIL, a failing link stored as fail*.
    files.push_back((dir / "in" / "G.result").string());
    writeBytes(files.back(), kx::test::lossLengthResultFile());
    files.push_back((dir / "in" / "H.result").string());
    writeBytes(files.back(), copperStoring(failingLink(), "H", Kestrix::Status::failStar));
    const std::string expected = "8 records: 1 pass, 1 pass*, 1 pass (acceptable), 2 fail, 3 without verdict";
    EXPECT_NE(htmlReport(files, dir / "r.html").find(">" + expected + "<"), std::string::npos) << expected;
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils not installed";
    ASSERT_EQ(writeReport(files, (dir / "r.pdf").string(), {}), "");
    EXPECT_NE(poppler("pdftotext", {"-raw", (dir / "r.pdf").string(), "-"}, dir / "r.pdf").find(expected),
              std::string::npos)
        << expected;
}

TEST(Report, ATruncatedFailStopsTheReportOrBecomesADamagedRow) {
    const fs::path dir = kx::test::freshFolder("report-damaged");
    auto cut = copperStoring(failingLink(), "D-102-B", Kestrix::Status::fail);
    cut.resize(3000);
    writeBytes(dir / "cut.result", cut);
    writeBytes(dir / "ok.result", kx::test::cat6AResultFile());
    const std::vector<std::string> files{(dir / "cut.result").string(), (dir / "ok.result").string()};
    for (bool html : {false, true}) {
        ReportOptions o;
        o.html = html;
        const std::string error = writeReport(files, (dir / "r.out").string(), o);
        EXPECT_NE(error.find((dir / "cut.result").string() + ": corrupt container"), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(dir / "r.out"));
        o.keepGoing = true;
        std::vector<std::string> damaged;
        ASSERT_EQ(writeReport(files, (dir / "r.out").string(), o, &damaged), "");
        ASSERT_EQ(damaged.size(), 1u);
        EXPECT_EQ(damaged[0].rfind((dir / "cut.result").string(), 0), 0u);
        fs::remove(dir / "r.out");
    }
    ReportOptions o;
    o.keepGoing = true;
    ReportDocument d;
    std::vector<std::string> unreadable;
    ASSERT_EQ(buildReport(files, o, d, unreadable), "");
    for (auto& r : d.rows) r.file = fs::path(r.file).filename().string();  // the temporary folder varies
    kx::test::expectGolden(exportJson(d.rows), "export-damaged.json");
    EXPECT_EQ(d.totals.damaged, 1u);
    EXPECT_EQ(d.pages[1].mark, "DAMAGED");
}

TEST(Report, LatestKeepsTheLastTestOfACableAndListsTheRest) {
    const fs::path dir = kx::test::freshFolder("report-latest");
    Kestrix::FiberResult older = kx::test::lossLengthResult();
    older.summary.timeStamp = 1600000000;
    writeBytes(dir / "a.result", kx::test::fiberFile(older));
    writeBytes(dir / "b.result", kx::test::lossLengthResultFile());
    writeBytes(dir / "c.result", readingStoring("PM-1", Kestrix::Status::show));
    ReportOptions o;
    o.latest = true;
    ReportDocument d;
    std::vector<std::string> unreadable;
    ASSERT_EQ(buildReport({(dir / "a.result").string(), (dir / "b.result").string(), (dir / "c.result").string()}, o, d,
                          unreadable),
              "");
    ASSERT_EQ(d.rows.size(), 2u);
    ASSERT_EQ(d.superseded.size(), 1u);
    EXPECT_EQ(d.superseded[0].file, (dir / "a.result").string());
    EXPECT_EQ(d.superseded[0].supersededBy, (dir / "b.result").string());
    o.latest = false;
    o.failsOnly = true;
    ASSERT_EQ(buildReport({(dir / "b.result").string(), (dir / "c.result").string()}, o, d, unreadable), "");
    EXPECT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.leftOut, 1u);
}

TEST(Report, HtmlOfTwoHundredRecordsStaysSmall) {
    const fs::path dir = kx::test::freshFolder("report-size");
    const auto inputs = mixedInputs(dir / "kinds");
    std::vector<std::string> files;
    for (int i = 0; i < 200; ++i) {
        const fs::path f = dir / "in" / ("r" + std::to_string(1000 + i) + ".result");
        fs::create_directories(f.parent_path());
        fs::copy_file(inputs[static_cast<size_t>(i) % inputs.size()], f);
        files.push_back(f.string());
    }
    const std::string html = htmlReport(files, dir / "r.html");
    EXPECT_LT(html.size(), 10u << 20);
    EXPECT_EQ(count(html, "<section id=\"r"), 200u);
    // An OTDR record (both ends, four wavelengths each) stays under 100 KB.
    const size_t otdr = html.find("<section id=\"r4\">");
    ASSERT_NE(otdr, std::string::npos);
    EXPECT_LT(html.find("</section>", otdr) - otdr, 100u << 10);
    // Text is text: no glyph outlines.
    EXPECT_EQ(html.find("<symbol"), std::string::npos);
    EXPECT_GT(count(html, "<text"), 1000u);
}

// One self-contained page, with the project and site of the record the folder's index names.
TEST(Report, HtmlIsOneSelfContainedPageNamingTheIndexedRecordsProject) {
    const fs::path dir = kx::test::freshFolder("report-html");
    writeBytes(dir / "P" / "cu.result", kx::test::cat6AResultFile());
    writeBytes(dir / "ll.result", kx::test::lossLengthResultFile());
    // Beside the result lies a file of its name that is not its record; the index names another one.
    kx::test::writeText(dir / "P" / "cu.json", R"({"RecordMetaData":{"Project":"Decoy project","Site":"Decoy site"}})");
    kx::test::writeText(dir / "P" / "record-1.json",
                        R"({"RecordMetaData":{"Project":"Riverside","Site":"Building 7"}})");
    kx::test::writeText(dir / "index.json",
                        R"({"tester":"T","testerSerial":"S","records":[{"testerSerial":"S","testerFile":"p/1",)"
                        R"("key":1,"imported":true,"result":"P/cu.result","record":"P/record-1.json"}]})");
    ReportOptions o;
    o.title = "Floor <2> & risers";
    o.customer = "Harbor \"Trust\"";
    const std::string html =
        htmlReport({(dir / "P" / "cu.result").string(), (dir / "ll.result").string()}, dir / "r.html", o);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<title>Floor &lt;2&gt; &amp; risers</title>"), std::string::npos);
    EXPECT_NE(html.find("Harbor &quot;Trust&quot;"), std::string::npos);
    EXPECT_EQ(html.find("<?xml"), std::string::npos);
    EXPECT_EQ(count(html, "<section id=\"r"), 2u);
    EXPECT_NE(html.find("<a href=\"#r2\">"), std::string::npos);
    EXPECT_EQ(count(html, "<svg"), count(html, "</svg>"));
    EXPECT_EQ(html.find("src=\"http"), std::string::npos);
    EXPECT_EQ(html.find("href=\"http"), std::string::npos);
    EXPECT_NE(html.find("Riverside"), std::string::npos);
    EXPECT_NE(html.find("Building 7"), std::string::npos);
    EXPECT_EQ(html.find("Decoy"), std::string::npos);
}

TEST(Report, BadInputLeavesNothingBehind) {
    const fs::path dir = kx::test::freshFolder("report-bad");
    writeBytes(dir / "cu.result", kx::test::cat6AResultFile());
    writeBytes(dir / "junk.result", std::vector<uint8_t>(64, 0x5A));
    writeBytes(dir / "empty.result", {});
    for (const char* bad : {"junk.result", "empty.result", "missing.result"}) {
        std::vector<std::string> files{(dir / "cu.result").string(), (dir / bad).string()};
        for (bool html : {false, true}) {
            ReportOptions o;
            o.html = html;
            const std::string error = writeReport(files, (dir / "r.out").string(), o);
            EXPECT_NE(error.find(bad), std::string::npos) << error;
            EXPECT_FALSE(fs::exists(dir / "r.out")) << bad;
        }
    }
    ReportOptions logo;
    logo.logoFile = (dir / "junk.result").string();
    EXPECT_NE(writeReport({(dir / "cu.result").string()}, (dir / "r.out").string(), logo), "");
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// The export of a sound link and of a link stored PASS whose test fails, pinned whole, and the report of both.
TEST(Export, ColumnsQuotingFormulaSafeTextAndTheVerdictConflict) {
    const fs::path dir = kx::test::freshFolder("report-export");
    writeBytes(dir / "a.result",
               copperStoring(kx::test::cat6APermanentLinkTest(), "R1, \"east\"\nrack", Kestrix::Status::pass));
    writeBytes(dir / "b.result", copperStoring(failingLink(), "=HYPERLINK(1)", Kestrix::Status::pass));
    const std::vector<std::string> files{(dir / "a.result").string(), (dir / "b.result").string()};
    ReportDocument d;
    std::vector<std::string> unreadable;
    ASSERT_EQ(buildReport(files, {}, d, unreadable, false), "");
    for (auto& r : d.rows) r.file = fs::path(r.file).filename().string();  // the temporary folder varies
    // Control characters become spaces; commas and quotes survive the quoting; a formula stays text.
    kx::test::expectGolden(exportCsv(d.rows), "export.csv");
    kx::test::expectGolden(exportJson(d.rows), "export.json");

    // The conflict is marked and counted in the report too.
    const std::string html = htmlReport(files, dir / "r.html");
    EXPECT_NE(html.find("2 records: 2 pass, 0 pass*, 0 fail; 1 verdict conflict"), std::string::npos);
    EXPECT_EQ(count(html, ">VERDICT CONFLICT<"), 1u);
    EXPECT_NE(html.find("verdict conflict: stored PASS; Resistance FAIL"), std::string::npos);
    EXPECT_NE(html.find("<caption>Verdict conflicts</caption>"), std::string::npos);
}

}  // namespace
