// The viewer's routes without a socket: no request names a file outside the folders, tester text never
// becomes markup, actions need the token and a same-origin request, downloads are the stored bytes.
#include "ServeTesting.h"

#include "ReportRecordSource.h"
#include "Viewer.h"
#include "serve/ScriptedImporter.h"
#include "tester/record/RecordMargins.h"
#include "tester/RecordFixtures.h"

namespace {

const std::string kInjection = "<img src=x onerror=alert(1)>";
const std::string kSecret = "SECRET-OUTSIDE-THE-FOLDER";

const std::string* header(const Response& r, const std::string& name) {
    for (const auto& h : r.headers)
        if (h.first == name) return &h.second;
    return nullptr;
}

// The report's PDF, with the options and files it was asked for kept.
class KeepingSource : public ReportRecordSource {
public:
    std::string pdfReport(const std::vector<std::string>& files, const std::string& out,
                          const Kestrix::Report::ReportOptions& options) override {
        this->files = files;
        this->options = options;
        return ReportRecordSource::pdfReport(files, out, options);
    }
    std::vector<std::string> files;
    Kestrix::Report::ReportOptions options;
};

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = kx::test::freshFolder("serve-viewer");
        dir = root / "import";
        kx::test::FolderRecord conflict("P", "", "CONFLICT-1");
        // A stored FAIL whose own tests all pass: a verdict conflict.
        const auto fail = Kestrix::Status::fail;
        conflict.bytes = kx::test::copperFile(kx::test::cat6APermanentLinkTest(), "CONFLICT-1", &fail);
        paths =
            kx::test::writeImportFolder(dir, {{"P", "", "D-101", StockKind::copperPass},
                                              {kInjection, "\"><script>x</script>", kInjection, StockKind::copperFail},
                                              {"P", "", "OTDR-1", StockKind::otdrBothEnds},
                                              conflict});
        std::ofstream(root / "secret.txt") << kSecret;
        std::ofstream(root / "secret.result") << kSecret;
        ViewerOptions o;
        o.folders = {dir.string()};
        o.token = "0123456789abcdef0123456789abcdef";
        auto keeping = std::make_unique<KeepingSource>();
        source = keeping.get();
        viewer = std::make_unique<Viewer>(o, std::move(keeping));
        ASSERT_EQ(viewer->load(), "");
    }

    Response get(const std::string& path, const std::string& query = "", const std::string& host = "127.0.0.1:8080") {
        Request r;
        r.method = "GET";
        r.path = path;
        r.query = Params::parse(query);
        r.headers["host"] = host;
        return viewer->handle(r);
    }

    Response post(const std::string& path, const std::string& token, std::map<std::string, std::string> headers = {}) {
        Request r;
        r.method = "POST";
        r.path = path;
        r.form = Params::parse("token=" + token);
        r.headers = std::move(headers);
        r.headers.emplace("host", "127.0.0.1:8080");
        return viewer->handle(r);
    }

    fs::path root, dir;
    std::vector<std::string> paths;
    std::unique_ptr<Viewer> viewer;
    KeepingSource* source = nullptr;
};

TEST_F(ViewerTest, NoRequestReachesAFileOutsideTheFoldersAndDownloadsAreTheStoredBytes) {
    const std::string paths[] = {
        "/../secret.txt",
        "/record/../../secret.txt",
        "/static/../index.json",
        "/record/1/result/../..",
        "/index.json",
        "/P/D-101~1.result",
        "//secret.txt",
        "/record//1",
        "/record/1/",
        "/record/./1",
        "/record/1\\..\\..",
        "/record/-1",
        "/record/01",
        "/record/99999999999",
        "/record/0",
        "/record/5",
        "/record/1/plot/99.svg",
        "/record/1/plot/..svg",
        "/record/1/plot/-1.svg",
        "/record/3/sor/1/99999",
        "/record/1/sor/1/1310",
        std::string("/record/1\0/result", 17),
    };
    for (const std::string& p : paths) {
        const Response r = get(p);
        EXPECT_EQ(r.status, 404) << p;
        EXPECT_EQ(r.body.find(kSecret), std::string::npos) << p;
    }
    // Downloads are the record's own bytes.
    EXPECT_EQ(get("/record/1/result").body, kx::test::readText(dir / this->paths[0]));
    EXPECT_EQ(get("/record/2/record.json").body,
              kx::test::readText(fs::path(dir / this->paths[1]).replace_extension(".json")));
    const Response sor = get("/record/3/sor/1/1310");
    ASSERT_EQ(sor.status, 200) << sor.body.substr(0, 300);
    EXPECT_EQ(sor.body.substr(0, 4), std::string("Map\0", 4));
    EXPECT_NE(get("/record/3").body.find("/record/3/sor/2/1310"), std::string::npos);
}

TEST_F(ViewerTest, TesterTextIsShownAsTextOnEveryPage) {
    viewer->readAllFacts();
    const std::string escaped = "&lt;img src=x onerror=alert(1)&gt;";
    for (const auto& [path, query] : std::vector<std::pair<std::string, std::string>>{
             {"/", ""}, {"/links", ""}, {"/links", "q=" + kInjection}, {"/record/2", ""}}) {
        const Response r = get(path, query);
        ASSERT_EQ(r.status, 200) << path;
        EXPECT_EQ(r.body.find("<img src=x"), std::string::npos) << path;
        EXPECT_EQ(r.body.find("<script>"), std::string::npos) << path;  // no inline script at all
        EXPECT_NE(r.body.find(escaped), std::string::npos) << path;
        ASSERT_NE(header(r, "Content-Security-Policy"), nullptr);
        EXPECT_NE(header(r, "Content-Security-Policy")->find("script-src 'self'"), std::string::npos);
    }
    const Response csv = get("/links.csv", "q=" + kInjection);
    EXPECT_NE(csv.body.find(kInjection), std::string::npos);  // a CSV cell is data, not markup
    EXPECT_EQ(*header(csv, "Content-Disposition"), "attachment; filename=\"links.csv\"; filename*=UTF-8''links.csv");
    const Response result = get("/record/2/result");
    const std::string* name = header(result, "Content-Disposition");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->find('"', 22), name->find("\"; filename*"));  // no quote inside the name
}

TEST_F(ViewerTest, ActionsNeedTheTokenAndASameOriginRequest) {
    auto importer = std::make_unique<kx::test::ScriptedImporter>();
    kx::test::ScriptedImporter* counting = importer.get();
    importer->attached = true;
    importer->name = "Lumetra " + kInjection;
    ImportController::Options io;
    io.periodic = true;
    io.interval = std::chrono::hours(1);
    viewer->attachImporter(std::move(importer), io, "127.0.0.1:1");
    viewer->start();
    for (int i = 0; i < 500 && !viewer->controller()->snapshot().probed; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string token = viewer->token();
    const struct {
        std::string token;
        std::map<std::string, std::string> headers;
        int status;
    } refused[] = {
        {"", {}, 403},
        {"0123456789abcdef0123456789abcdeX", {}, 403},
        {token.substr(0, 31), {}, 403},
        {token, {{"origin", "http://evil.example"}}, 403},
        {token, {{"sec-fetch-site", "cross-site"}}, 403},
    };
    for (const auto& c : refused) EXPECT_EQ(post("/import", c.token, c.headers).status, c.status) << c.token;
    EXPECT_EQ(get("/import").status, 405);
    EXPECT_EQ(counting->imports, 0);

    const Response ok = post("/import", token, {{"origin", "http://127.0.0.1:8080"}, {"x-kestrix-fetch", "1"}});
    EXPECT_EQ(ok.status, 202) << ok.body;
    for (int i = 0; i < 500 && viewer->controller()->snapshot().imports == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(counting->imports, 1);
    EXPECT_EQ(post("/import", token).status, 303);  // a form without script comes back to the home page
    const Response status = get("/api/status");
    EXPECT_EQ(status.contentType, "application/json");
    EXPECT_NE(status.body.find("\"missing\":2"), std::string::npos) << status.body;
    EXPECT_EQ(status.body.find('<'), std::string::npos) << status.body;
    viewer->stop();
}

TEST_F(ViewerTest, OnlyItsOwnHostNamesAreAnswered) {
    viewer->setAllowedHosts({"127.0.0.1:8080", "localhost:8080"});
    for (const auto& [host, status] : std::vector<std::pair<std::string, int>>{
             {"127.0.0.1:8080", 200}, {"LOCALHOST:8080", 200}, {"rebound.example:8080", 421}, {"", 421}}) {
        const Response res = get("/", "", host);
        EXPECT_EQ(res.status, status) << host;
        if (status != 200) {
            EXPECT_EQ(res.body.find(viewer->token()), std::string::npos);
        }
    }
}

// A record's page is the report's page of it: the result line with the worst margin the table shows, the
// verdict conflict, and images of plots that answer; the CSV is the export of the same rows.
TEST_F(ViewerTest, RecordPagesAndRowsAreTheReports) {
    const std::string bytes = kx::test::readText(dir / paths[1]);
    Kestrix::Tester::TestRecordTarvel record(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    const auto margins = Kestrix::Tester::recordMargins(record);
    ASSERT_TRUE(margins.worst);
    const std::string worst = Kestrix::Tester::describeMargin(*margins.worst);

    // Rows read for it, before any page or the background reader: the CSV has every column of every record,
    // the worst margin and the verdict conflict.
    std::string csv = get("/links.csv").body;
    for (size_t at = csv.find(dir.string()); at != std::string::npos; at = csv.find(dir.string()))
        csv.replace(at, dir.string().size(), "DIR");
    kx::test::expectGolden(csv, "links.csv");

    const Response fail = get("/record/2");
    ASSERT_EQ(fail.status, 200);
    EXPECT_NE(fail.body.find("<dt>Result</dt><dd class=\"fail b\">FAIL, worst margin " + worst + "</dd>"),
              std::string::npos);
    EXPECT_EQ(fail.body.find("VERDICT CONFLICT"), std::string::npos);
    size_t images = 0;
    for (size_t at = fail.body.find("<img src=\""); at != std::string::npos;
         at = fail.body.find("<img src=\"", at + 1), ++images) {
        const size_t start = at + 10;
        const std::string src = fail.body.substr(start, fail.body.find('"', start) - start);
        ASSERT_EQ(src.rfind("/record/2/plot/", 0), 0u) << src;
        const Response plot = get(src);
        EXPECT_EQ(plot.contentType, "image/svg+xml") << src;
        EXPECT_NE(plot.body.find("<svg"), std::string::npos) << src;
    }
    EXPECT_GT(images, 1u);

    const Response conflict = get("/record/4");
    EXPECT_NE(conflict.body.find(">VERDICT CONFLICT<"), std::string::npos);
    EXPECT_NE(conflict.body.find("<dt>Verdict conflict</dt>"), std::string::npos);

    viewer->readAllFacts();
    const Response links = get("/links", "status=conflict");
    EXPECT_NE(links.body.find(">CONFLICT-1</a>"), std::string::npos);
    EXPECT_EQ(links.body.find(">D-101</a>"), std::string::npos);
    EXPECT_NE(get("/links").body.find("title=\"" + worst + "\">" + Kestrix::Tester::marginText(*margins.worst)),
              std::string::npos);
}

// PDF reports take the report's options from the link; a record that cannot be read becomes a damaged row of
// the report instead of failing it.
TEST_F(ViewerTest, PdfReportsTakeTheReportsOptions) {
    const Response selection =
        get("/links.pdf",
            "status=fail&title=Riser%202&customer=Harbor&contractor=K%26L&operator=J.%20Doe&latest=1&fails=1&feet=1");
    ASSERT_EQ(selection.status, 200) << selection.body.substr(0, 300);
    EXPECT_EQ(selection.body.substr(0, 5), "%PDF-");
    const auto& o = source->options;
    EXPECT_EQ(o.title, "Riser 2");
    EXPECT_EQ(o.customer, "Harbor");
    EXPECT_EQ(o.contractor, "K&L");
    EXPECT_EQ(o.operatorName, "J. Doe");
    EXPECT_TRUE(o.latest && o.failsOnly && o.feet && o.keepGoing);
    EXPECT_EQ(source->files.size(), 2u);  // the stored failures

    ASSERT_EQ(get("/record/3/report.pdf").status, 200);
    EXPECT_EQ(source->options.title, "OTDR-1");
    EXPECT_FALSE(source->options.latest || source->options.failsOnly || source->options.feet);
    ASSERT_EQ(get("/record/3/report.pdf", "title=" + std::string(500, 'x')).status, 200);
    EXPECT_EQ(source->options.title, std::string(200, 'x'));

    fs::resize_file(dir / paths[0], fs::file_size(dir / paths[0]) / 2);
    const Response damaged = get("/record/1/report.pdf");
    EXPECT_EQ(damaged.status, 200) << damaged.body.substr(0, 300);
    EXPECT_EQ(damaged.body.substr(0, 5), "%PDF-");
}

}  // namespace
