// The certification report: page counts through poppler, summary rows, HTML, and refusals that leave
// nothing behind.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "copper/CopperBuilders.h"
#include "fiber/FiberBuilders.h"
#include "fiber/OtdrBuilders.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Report.h"
#include "tester/RecordFixtures.h"
#include "core/TestFiles.h"

namespace {

using namespace Kestrix::Report;
namespace fs = std::filesystem;

fs::path tempDir(const std::string& name) { return kx::test::freshFolder("report-" + name); }

void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool havePoppler() { return std::system("pdfinfo -v >/dev/null 2>&1") == 0; }

// pdfinfo's page count, -1 when it fails or complains on stderr.
int pdfPages(const fs::path& pdf) {
    const fs::path err = pdf.string() + ".err";
    const std::string cmd = "pdfinfo '" + pdf.string() + "' 2>'" + err.string() + "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) return -1;
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    const int rc = pclose(p);
    const bool complained = fs::file_size(err) != 0;
    fs::remove(err);
    const size_t at = out.find("Pages:");
    if (rc != 0 || complained || at == std::string::npos) return -1;
    return std::stoi(out.substr(at + 6));
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(SummaryRow, CopperAndFiberKeyFields) {
    Kestrix::Tester::TestRecordTarvel copper(kx::test::cat6AResultFile());
    const SummaryRow c = summaryRow(copper, "Harbor", "Floor 2");
    EXPECT_EQ(c.project, "Harbor");
    EXPECT_EQ(c.site, "Floor 2");
    EXPECT_FALSE(c.cableId.empty());
    EXPECT_FALSE(c.limit.empty());
    EXPECT_FALSE(c.tester.empty());
    EXPECT_EQ(c.date.size(), 16u);
    EXPECT_TRUE(std::isfinite(c.worstMargin));
    EXPECT_TRUE(c.copper);

    Kestrix::Tester::TestRecordTarvel loss(kx::test::lossLengthResultFile());
    const SummaryRow f = summaryRow(loss, "", "");
    EXPECT_FALSE(f.copper);
    EXPECT_TRUE(std::isfinite(f.worstMargin));
    EXPECT_GT(f.lengthMeters, 0);
}

TEST(SummaryRow, HeadroomOfTheStoredSummaryWhenNothingWasJudged) {
    Kestrix::FiberResult r;
    r.summary = kx::test::fiberSummary("PM-1");
    r.summary.headroom = Kestrix::DisplayMeas(Kestrix::ScaledInt::raw(250, Kestrix::ScaledInt::hundredths),
                                              Kestrix::DisplayType::normal);
    r.addTest(std::make_unique<Kestrix::FiberPowerMeterTest>(kx::test::powerMeterTest()));
    Kestrix::Tester::TestRecordTarvel record(kx::test::fiberFile(r));
    EXPECT_DOUBLE_EQ(summaryRow(record, "", "").worstMargin, 2.5);
    // A headroom the tester did not show stays unknown.
    r.summary.headroom.displayType = Kestrix::DisplayType::dashes;
    Kestrix::Tester::TestRecordTarvel dashes(kx::test::fiberFile(r));
    EXPECT_TRUE(std::isnan(summaryRow(dashes, "", "").worstMargin));
}

TEST(CollectInputs, FilesAndImportFolders) {
    const fs::path dir = tempDir("collect");
    writeFile(dir / "P" / "S" / "b.result", {1});
    writeFile(dir / "P" / "a.result", {1});
    writeFile(dir / "P" / "a.json", {1});
    std::vector<std::string> files;
    EXPECT_EQ(collectInputs({(dir / "P").string()}, files), "");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(std::is_sorted(files.begin(), files.end()));
    EXPECT_EQ(fs::path(files[0]).filename(), "b.result");  // P/S/b.result sorts before P/a.result
    EXPECT_NE(collectInputs({(dir / "nope").string()}, files), "");
    fs::create_directories(dir / "empty");
    EXPECT_NE(collectInputs({(dir / "empty").string()}, files), "");
}

TEST(Report, PdfPagesOpenInPoppler) {
    if (!havePoppler()) GTEST_SKIP() << "pdfinfo not installed";
    const fs::path dir = tempDir("pdf");
    writeFile(dir / "in" / "otdr.result", kx::test::otdrResultFile(2000));
    writeFile(dir / "in" / "cu.result", kx::test::cat6AResultFile());
    writeFile(dir / "in" / "ll.result", kx::test::lossLengthResultFile());
    std::vector<std::string> files;
    ASSERT_EQ(collectInputs({(dir / "in").string()}, files), "");
    ASSERT_EQ(writeReport(files, (dir / "r.pdf").string(), {}), "");
    const int pages = pdfPages(dir / "r.pdf");
    // One summary page, at least one page per record, continuation pages for the plots that do not fit.
    EXPECT_GE(pages, 4);
    EXPECT_LE(pages, 12);
    // The fonts are embedded.
    FILE* p = popen(("pdffonts '" + (dir / "r.pdf").string() + "'").c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    EXPECT_NE(out.find("LiberationSans"), std::string::npos);
    EXPECT_EQ(out.find(" no "), std::string::npos) << out;
}

TEST(Report, HundredsOfRecordsPaginateTheSummary) {
    if (!havePoppler()) GTEST_SKIP() << "pdfinfo not installed";
    const fs::path dir = tempDir("many");
    const auto bytes = kx::test::lossLengthResultFile();
    std::vector<std::string> files;
    for (int i = 0; i < 130; ++i) {
        const fs::path f = dir / "in" / ("ll" + std::to_string(1000 + i) + ".result");
        writeFile(f, bytes);
        files.push_back(f.string());
    }
    ASSERT_EQ(writeReport(files, (dir / "r.pdf").string(), {}), "");
    // 56 rows on the first summary page and 60 on the next: 3 summary pages, then one page per record.
    EXPECT_EQ(pdfPages(dir / "r.pdf"), 3 + 130);
}

TEST(Report, HtmlIsOnePageWithInlineSvg) {
    const fs::path dir = tempDir("html");
    writeFile(dir / "cu.result", kx::test::cat6AResultFile());
    writeFile(dir / "ll.result", kx::test::lossLengthResultFile());
    ReportOptions o;
    o.html = true;
    o.title = "Floor <2> & risers";
    std::vector<std::string> files{(dir / "cu.result").string(), (dir / "ll.result").string()};
    ASSERT_EQ(writeReport(files, (dir / "r.html").string(), o), "");
    const std::string html = readText(dir / "r.html");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<title>Floor &lt;2&gt; &amp; risers</title>"), std::string::npos);
    EXPECT_EQ(html.find("<?xml"), std::string::npos);
    EXPECT_GE(count(html, "<svg"), 3u);
    // The summary is a real table: a header row and one row per record, each linking to its section.
    EXPECT_EQ(count(html, "<table class=\"summary\"><tr><th>Project</th>"), 1u);
    EXPECT_EQ(count(html, "<section id="), 2u);
    EXPECT_NE(html.find("<a href=\"#r2\">"), std::string::npos);
    EXPECT_NE(html.find("<section id=\"r2\">"), std::string::npos);
    EXPECT_EQ(count(html, "<svg"), count(html, "</svg>"));
    // Self-contained: nothing is fetched from elsewhere.
    EXPECT_EQ(html.find("src=\"http"), std::string::npos);
    EXPECT_EQ(html.find("href=\"http"), std::string::npos);
}

TEST(Report, ProjectAndSiteComeFromTheRecordTheFoldersIndexNames) {
    const fs::path dir = tempDir("index");
    writeFile(dir / "P" / "cu.result", kx::test::cat6AResultFile());
    // Beside the result lies a file of its name that is not its record; the index names another one.
    const std::string decoy = R"({"RecordMetaData":{"Project":"Decoy project","Site":"Decoy site"}})";
    const std::string record = R"({"RecordMetaData":{"Project":"Riverside","Site":"Building 7"}})";
    writeFile(dir / "P" / "cu.json", std::vector<uint8_t>(decoy.begin(), decoy.end()));
    writeFile(dir / "P" / "record-1.json", std::vector<uint8_t>(record.begin(), record.end()));
    const std::string index = R"({"tester":"T","testerSerial":"S","records":[{"testerSerial":"S","testerFile":"p/1",)"
                              R"("key":1,"imported":true,"result":"P/cu.result","record":"P/record-1.json"}]})";
    writeFile(dir / "index.json", std::vector<uint8_t>(index.begin(), index.end()));
    ReportOptions o;
    o.html = true;
    std::vector<std::string> files{(dir / "P" / "cu.result").string()};
    ASSERT_EQ(writeReport(files, (dir / "r.html").string(), o), "");
    const std::string html = readText(dir / "r.html");
    EXPECT_NE(html.find("Riverside"), std::string::npos);
    EXPECT_NE(html.find("Building 7"), std::string::npos);
    EXPECT_EQ(html.find("Decoy"), std::string::npos);
}

TEST(Report, BadInputLeavesNothingBehind) {
    const fs::path dir = tempDir("bad");
    writeFile(dir / "cu.result", kx::test::cat6AResultFile());
    writeFile(dir / "junk.result", std::vector<uint8_t>(64, 0x5A));
    writeFile(dir / "empty.result", {});
    for (const char* bad : {"junk.result", "empty.result", "missing.result"}) {
        std::vector<std::string> files{(dir / "cu.result").string(), (dir / bad).string()};
        for (bool html : {false, true}) {
            ReportOptions o;
            o.html = html;
            const std::string error = writeReport(files, (dir / "r.out").string(), o);
            EXPECT_NE(error, "") << bad;
            EXPECT_FALSE(fs::exists(dir / "r.out")) << bad;
        }
    }
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
