#include "Viewer.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <json/writer.h>

#include "Assets.h"
#include "Escape.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberResult.h"
#include "fiber/SorWriter.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/SummaryRows.h"

namespace fs = std::filesystem;

namespace kx::serve {

namespace {

using Kestrix::Tester::TestRecordTarvel;

// No page holds an inline script or style; plots and downloads come from the viewer alone.
// The report's record blocks size their grids and columns in style attributes, made of numbers alone.
constexpr const char* kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; style-src-attr 'unsafe-inline'; img-src 'self'; "
    "connect-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'";
constexpr const char* kSvgPolicy = "default-src 'none'; style-src 'unsafe-inline'; sandbox";
constexpr const char* kDownloadPolicy = "default-src 'none'; sandbox";

Response text(int status, const std::string& message) {
    Response r;
    r.status = status;
    r.body = errorPage(status, message);
    return r;
}

Response json(int status, const Json::Value& v) {
    Response r;
    r.status = status;
    r.contentType = "application/json";
    Json::StreamWriterBuilder b;
    b["indentation"] = "";
    // '<', '>' and '&' only occur inside strings: as escapes, no tester text reads as markup even where a
    // browser would sniff the reply.
    for (char c : Json::writeString(b, v)) {
        if (c == '<') {
            r.body += "\\u003c";
        } else if (c == '>') {
            r.body += "\\u003e";
        } else if (c == '&') {
            r.body += "\\u0026";
        } else {
            r.body.push_back(c);
        }
    }
    return r;
}

Response download(std::string body, const std::string& type, const std::string& name) {
    Response r;
    r.contentType = type;
    r.body = std::move(body);
    r.header("Content-Disposition", attachment(name));
    return r;
}

// Plain decimal without leading zeros, as the pages write record numbers; anything else names nothing.
bool number(const std::string& s, uint32_t& out) {
    if (s.empty() || s.size() > 9 || (s.size() > 1 && s[0] == '0')) return false;
    uint32_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint32_t>(c - '0');
    }
    out = v;
    return true;
}

// The path's segments; false when one is empty, "." or "..": such a path names nothing here.
bool segments(const std::string& path, std::vector<std::string>& out) {
    if (path.empty() || path[0] != '/') return false;
    if (path == "/") return true;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos ||
            part.find('\\') != std::string::npos)
            return false;
        out.push_back(std::move(part));
        start = end + 1;
    }
    return true;
}

// Same-length comparison that takes as long whatever the first difference.
bool sameToken(const std::string& a, const std::string& b) {
    if (a.size() != b.size() || a.empty()) return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::string fileStem(const LibraryRecord& r) {
    std::string s = cleanUtf8(r.cableId.empty() ? "record-" + std::to_string(r.id) : r.cableId);
    for (char& c : s)
        if (c == '/' || c == '\\') c = '_';
    return s;
}

const Kestrix::FiberOtdrTest* otdrTest(Kestrix::FiberResult* result, int end) {
    if (!result) return nullptr;
    const auto want = end == 1 ? Kestrix::FiberTestType::otdrEnd1 : Kestrix::FiberTestType::otdrEnd2;
    for (const auto& t : result->tests)
        if (t && t->testKind() == Kestrix::FiberTest::Kind::otdr && t->summary.testType == want)
            return static_cast<const Kestrix::FiberOtdrTest*>(t.get());
    return nullptr;
}

std::vector<SorTrace> sorTraces(TestRecordTarvel& record) {
    std::vector<SorTrace> out;
    if (!record.IsFiber()) return out;
    for (int end : {1, 2})
        if (const auto* t = otdrTest(record.GetFiberResult(), end))
            for (uint16_t wl : Kestrix::sorWavelengths(*t)) out.push_back({end, wl});
    return out;
}

// A private folder for a report, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kestrix-serve-XXXXXX").string();
        if (::mkdtemp(pattern.data())) _path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!_path.empty()) fs::remove_all(_path, ec);
    }
    const fs::path& path() const { return _path; }

private:
    fs::path _path;
};

// The facts of a record whose file cannot be read: what the index gives, and why.
RecordFacts unreadableFacts(const Library& lib, size_t pos, const std::string& why) {
    const LibraryRecord& r = lib.records()[pos];
    RecordFacts f{Kestrix::Report::unreadableRow(lib.givenPath(pos), why)};
    f.row.project = Kestrix::Report::cleanText(r.project);
    f.row.site = Kestrix::Report::cleanText(r.site);
    f.row.cableId = Kestrix::Report::cleanText(r.cableId);
    f.row.date = timeText(r.testTime);
    f.row.status = r.status;
    return f;
}

constexpr size_t kMaxOptionText = 200;

std::string optionText(const Params& query, const char* name) {
    std::string s = cleanUtf8(query.get(name));
    if (s.size() > kMaxOptionText) s = cleanUtf8(s.substr(0, kMaxOptionText));
    return s;
}

// The report options a PDF link may carry. A damaged record is a damaged row of the report, not a failed one.
Kestrix::Report::ReportOptions reportOptions(const Params& query, const std::string& title) {
    Kestrix::Report::ReportOptions o;
    o.title = optionText(query, "title");
    if (o.title.empty()) o.title = title;
    o.customer = optionText(query, "customer");
    o.contractor = optionText(query, "contractor");
    o.operatorName = optionText(query, "operator");
    o.latest = query.get("latest") == "1";
    o.failsOnly = query.get("fails") == "1";
    o.feet = query.get("feet") == "1";
    o.keepGoing = true;
    return o;
}

// The record's host record: the one beside the result, else the same JSON an import would have written.
Response hostRecordDownload(const Library& lib, size_t pos) {
    const LibraryRecord& row = lib.records()[pos];
    std::string error;
    std::string body = lib.readHostRecord(pos, error);
    if (!error.empty()) {
        std::vector<uint8_t> bytes = lib.readResult(pos, error);
        if (!error.empty()) return text(404, error);
        TestRecordTarvel record(std::move(bytes));
        record.GetMetaData().Project = row.project;
        record.GetMetaData().Site = row.site;
        body = Kestrix::Tester::hostRecordJsonText(Kestrix::Tester::hostRecordJson(record));
    }
    return download(std::move(body), "application/json", fileStem(row) + ".json");
}

// One OTDR trace of the record (end 1 or 2, one wavelength) as an SR-4731 file.
Response sorDownload(const Library& lib, size_t pos, uint32_t end, uint32_t wavelength) {
    const LibraryRecord& row = lib.records()[pos];
    std::string error;
    std::vector<uint8_t> bytes = lib.readResult(pos, error);
    if (!error.empty()) return text(404, error);
    TestRecordTarvel record(std::move(bytes));
    const auto* test =
        (end == 1 || end == 2) && record.IsFiber() ? otdrTest(record.GetFiberResult(), static_cast<int>(end)) : nullptr;
    if (!test || wavelength > 65535) return text(404, "No such OTDR trace in this record.");
    auto sor = Kestrix::writeSor(*test, static_cast<int>(wavelength), record.GetFiberResult()->summary.getResultName());
    if (!sor) return text(404, "No such OTDR trace in this record.");
    return download(std::string(sor->begin(), sor->end()), "application/octet-stream",
                    fileStem(row) + "-" + std::to_string(wavelength) + "nm-end" + std::to_string(end) + ".sor");
}

}  // namespace

std::string randomToken() {
    std::random_device rd;
    std::string out;
    static const char* kHex = "0123456789abcdef";
    for (int i = 0; i < 4; ++i) {
        uint32_t v = rd();
        for (int k = 0; k < 8; ++k, v >>= 4) out.push_back(kHex[v & 15]);
    }
    return out;
}

Viewer::Viewer(ViewerOptions options, std::unique_ptr<RecordSource> source)
    : _options(std::move(options)), _source(std::move(source)) {
    if (_options.token.empty()) _options.token = randomToken();
}

Viewer::~Viewer() { stop(); }

std::string Viewer::load() {
    std::string error;
    auto lib = Library::load(_options.folders, _ids, error);
    if (!lib) return error;
    std::lock_guard<std::mutex> lock(_mutex);
    _library = std::move(lib);
    ++_generation;
    return "";
}

void Viewer::reload() {
    std::string error;
    auto lib = Library::load(_options.folders, _ids, error);
    if (!lib) return;  // the folder went away: keep what is shown
    std::lock_guard<std::mutex> lock(_mutex);
    if (_library) lib->adoptFacts(*_library);
    _library = std::move(lib);
    ++_generation;
    _changed.notify_all();
}

std::shared_ptr<Library> Viewer::library() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _library;
}

void Viewer::attachImporter(std::unique_ptr<Importer> importer, ImportController::Options options,
                            std::string configured) {
    if (options.folder.empty() && !_options.folders.empty()) options.folder = _options.folders.front();
    _configured = std::move(configured);
    _controller = std::make_unique<ImportController>(std::move(importer), std::move(options), [this] { reload(); });
}

void Viewer::start() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = false;
    }
    if (!_factsThread.joinable()) _factsThread = std::thread([this] { factsLoop(); });
    if (_controller) _controller->start();
}

void Viewer::stop() {
    if (_controller) _controller->stop();
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
    }
    _changed.notify_all();
    if (_factsThread.joinable()) _factsThread.join();
}

void Viewer::ensureFacts(Library& lib, size_t pos) {
    if (lib.facts(pos)) return;
    std::string error;
    std::vector<uint8_t> bytes = lib.readResult(pos, error);
    if (!error.empty()) {
        lib.setFacts(pos, unreadableFacts(lib, pos, error));
        return;
    }
    TestRecordTarvel record(std::move(bytes));
    lib.setFacts(pos, _source->facts(record, lib.records()[pos], lib.givenPath(pos)));
}

void Viewer::readAllFacts() {
    auto lib = library();
    for (size_t p = 0; lib && p < lib->size(); ++p) ensureFacts(*lib, p);
}

void Viewer::factsLoop() {
    for (;;) {
        std::shared_ptr<Library> lib;
        uint64_t generation;
        {
            std::unique_lock<std::mutex> lock(_mutex);
            if (_stopping) return;
            lib = _library;
            generation = _generation;
        }
        for (size_t p = 0; lib && p < lib->size(); ++p) {
            {
                std::lock_guard<std::mutex> lock(_mutex);
                if (_stopping) return;
                if (_generation != generation) break;
            }
            ensureFacts(*lib, p);
        }
        std::unique_lock<std::mutex> lock(_mutex);
        _changed.wait(lock, [&] { return _stopping || _generation != generation; });
    }
}

bool Viewer::hostAllowed(const Request& request) const {
    if (_allowedHosts.empty()) return true;
    std::string host = request.header("host");
    for (char& c : host)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return std::find(_allowedHosts.begin(), _allowedHosts.end(), host) != _allowedHosts.end();
}

Response Viewer::handle(const Request& request) {
    Response r;
    std::vector<std::string> parts;
    if (!hostAllowed(request)) {
        // A page reached through another host name (a rebound DNS name) must not read the token.
        r = text(421, "This viewer answers only to its own address.");
    } else if (!segments(request.path, parts)) {
        r = text(404, "No such page.");
    } else {
        try {
            r = route(request, parts);
        } catch (const std::exception& e) {
            r = text(500, std::string("The page could not be made: ") + e.what());
        }
    }
    r.header("X-Content-Type-Options", "nosniff");
    r.header("Referrer-Policy", "no-referrer");
    r.header("X-Frame-Options", "DENY");
    r.header("Cross-Origin-Resource-Policy", "same-origin");
    const bool svg = r.contentType.rfind("image/svg+xml", 0) == 0;
    const bool pageOrJson = r.contentType.rfind("text/html", 0) == 0 || r.contentType == "application/json";
    r.header("Content-Security-Policy", svg ? kSvgPolicy : pageOrJson ? kPagePolicy : kDownloadPolicy);
    bool cacheSet = false;
    for (const auto& h : r.headers) cacheSet = cacheSet || h.first == "Cache-Control";
    if (!cacheSet) r.header("Cache-Control", "no-store");
    return r;
}

Response Viewer::route(const Request& request, const std::vector<std::string>& parts) {
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (parts.size() == 1 && (parts[0] == "import" || parts[0] == "probe")) {
        if (!post) return text(405, "Use the button on the home page.");
        return action(request, parts[0]);
    }
    if (!get) return text(405, "This viewer only shows results.");
    if (const Asset* a = findAsset(request.path)) {
        Response r;
        r.contentType = a->contentType;
        r.body = a->body;
        r.header("Cache-Control", "no-cache");
        return r;
    }
    auto lib = library();
    if (parts.empty()) {
        Response r;
        r.body = homePage(*lib, panel(), _options.token);
        return r;
    }
    if (parts.size() == 1 && parts[0] == "links") {
        const Selection s = Selection::fromQuery(request.query);
        Response r;
        r.body = linksPage(*lib, s, select(*lib, s));
        return r;
    }
    if (parts.size() == 1 && parts[0] == "links.csv") return csv(request);
    if (parts.size() == 1 && parts[0] == "links.pdf") return selectionPdf(request);
    if (parts.size() == 2 && parts[0] == "api" && parts[1] == "status") return statusJson();
    if (parts.size() >= 2 && parts[0] == "record") return recordRoute(request, parts);
    return text(404, "No such page.");
}

Response Viewer::recordRoute(const Request& request, const std::vector<std::string>& parts) {
    auto lib = library();
    uint32_t id = 0;
    const size_t pos = number(parts[1], id) ? lib->find(id) : Library::npos;
    if (pos == Library::npos) return text(404, "No such record.");
    const LibraryRecord& row = lib->records()[pos];
    const std::string sub = parts.size() > 2 ? parts[2] : "";
    if (parts.size() == 2) {
        auto view = viewOf(lib, pos);
        Response r;
        r.body = recordPage(*lib, pos, view->content, view->traces);
        return r;
    }
    if (parts.size() == 3 && sub == "result") {
        std::string error;
        std::vector<uint8_t> bytes = lib->readResult(pos, error);
        if (!error.empty()) return text(404, error);
        return download(std::string(bytes.begin(), bytes.end()), "application/octet-stream", fileStem(row) + ".result");
    }
    if (parts.size() == 3 && sub == "record.json") return hostRecordDownload(*lib, pos);
    if (parts.size() == 3 && sub == "report.pdf") {
        const std::string file = lib->resultFile(pos);
        if (file.empty()) return text(404, "The result file is gone.");
        return pdf({file}, fileStem(row) + ".pdf",
                   reportOptions(request.query, row.cableId.empty() ? "Certification report" : row.cableId));
    }
    uint32_t end = 0, wavelength = 0, index = 0;
    if (parts.size() == 5 && sub == "sor" && number(parts[3], end) && number(parts[4], wavelength))
        return sorDownload(*lib, pos, end, wavelength);
    const std::string& last = parts.size() == 4 ? parts[3] : std::string();
    if (parts.size() == 4 && sub == "plot" && last.size() > 4 && last.compare(last.size() - 4, 4, ".svg") == 0 &&
        number(last.substr(0, last.size() - 4), index)) {
        auto view = viewOf(lib, pos);
        if (index >= view->content.plots.size()) return text(404, "No such plot.");
        Response r;
        {
            std::lock_guard<std::mutex> lock(view->drawing);
            view->drawn.resize(view->content.plots.size());
            std::string& svg = view->drawn[index];
            if (svg.empty() && view->content.plots[index].svg) svg = view->content.plots[index].svg();
            r.body = svg;
        }
        if (r.body.empty()) return text(404, "The plot could not be drawn.");
        r.contentType = "image/svg+xml";
        r.header("Cache-Control", "private, max-age=60");
        return r;
    }
    return text(404, "No such page.");
}

std::shared_ptr<const Viewer::RecordView> Viewer::viewOf(const std::shared_ptr<Library>& lib, size_t pos) {
    uint64_t generation;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        generation = _library == lib ? _generation : 0;
    }
    const uint32_t id = lib->records()[pos].id;
    {
        std::lock_guard<std::mutex> lock(_cacheMutex);
        for (auto it = _cache.begin(); it != _cache.end(); ++it) {
            if (it->generation == generation && it->id == id) {
                _cache.splice(_cache.begin(), _cache, it);
                return _cache.front().view;
            }
        }
    }
    auto view = std::make_shared<RecordView>();
    std::string error;
    std::vector<uint8_t> bytes = lib->readResult(pos, error);
    if (!error.empty()) {
        view->content.html = "<p class=\"error\">" + html(error) + "</p>";
        lib->setFacts(pos, unreadableFacts(*lib, pos, error));
    } else {
        TestRecordTarvel record(std::move(bytes));
        const std::string base = "/record/" + std::to_string(id) + "/plot/";
        view->content = _source->content(record, lib->records()[pos], lib->givenPath(pos),
                                         [&](size_t i) { return base + std::to_string(i) + ".svg"; });
        view->traces = sorTraces(record);
        lib->setFacts(pos, view->content.facts);
    }
    std::lock_guard<std::mutex> lock(_cacheMutex);
    _cache.push_front({generation, id, view});
    if (_cache.size() > kCachedRecords) _cache.pop_back();
    return view;
}

Response Viewer::csv(const Request& request) {
    auto lib = library();
    const SelectionResult result = select(*lib, Selection::fromQuery(request.query));
    // Every row as the export gives it: records the background reader has not reached yet are read now.
    for (const auto& g : result.groups)
        for (size_t p : g) ensureFacts(*lib, p);
    return download(selectionCsv(*lib, result), "text/csv; charset=utf-8", "links.csv");
}

Response Viewer::selectionPdf(const Request& request) {
    auto lib = library();
    const SelectionResult result = select(*lib, Selection::fromQuery(request.query));
    if (result.records > _options.maxReportRecords)
        return text(413, "A PDF report is made of at most " + std::to_string(_options.maxReportRecords) +
                             " records; this selection has " + thousands(result.records) + ". Narrow it first.");
    std::vector<std::string> files;
    for (const auto& g : result.groups)
        for (size_t p : g)
            if (std::string f = lib->resultFile(p); !f.empty()) files.push_back(f);
    if (files.empty()) return text(404, "No record matches.");
    return pdf(files, "report.pdf", reportOptions(request.query, "Certification report"));
}

Response Viewer::pdf(const std::vector<std::string>& files, const std::string& name,
                     const Kestrix::Report::ReportOptions& options) {
    TempFolder temp;
    if (temp.path().empty()) return text(500, "No temporary folder for the report.");
    const fs::path out = temp.path() / "report.pdf";
    const std::string error = _source->pdfReport(files, out.string(), options);
    if (!error.empty()) return text(500, "The report could not be made: " + error);
    std::ifstream in(out, std::ios::binary);
    std::ostringstream body;
    body << in.rdbuf();
    Response r = download(body.str(), "application/pdf", name);
    // Shown in the browser rather than saved.
    for (auto& h : r.headers)
        if (h.first == "Content-Disposition") h.second.replace(0, 10, "inline");
    return r;
}

Response Viewer::action(const Request& request, const std::string& what) {
    const bool fetch = request.header("x-kestrix-fetch") == "1";
    const auto answer = [&](int status, bool ok, const std::string& message) {
        if (fetch || !ok) {
            Json::Value v(Json::objectValue);
            v["ok"] = ok;
            v["message"] = message;
            return json(status, v);
        }
        Response r;
        r.status = 303;
        r.header("Location", "/");
        return r;
    };
    const std::string& token =
        request.form.has("token") ? request.form.get("token") : request.header("x-kestrix-token");
    const std::string& origin = request.header("origin");
    const std::string& site = request.header("sec-fetch-site");
    const bool sameOrigin =
        (origin.empty() || origin == "http://" + request.header("host")) && (site.empty() || site == "same-origin");
    if (!sameToken(token, _options.token) || !sameOrigin)
        return answer(403, false, "refused: the request did not come from this viewer's page");
    if (!_controller) return answer(404, false, "no tester link: start the viewer with --ip or --watch");
    if (what == "probe") {
        _controller->requestProbe();
        return answer(202, true, "looking for a tester");
    }
    std::string why;
    if (!_controller->requestImport(why)) return answer(409, false, why);
    return answer(202, true, "import started");
}

TesterPanel Viewer::panel() const {
    TesterPanel t;
    if (!_controller) return t;
    t.available = true;
    t.watch = _controller->options().watch;
    t.configured = _configured;
    t.snapshot = _controller->snapshot();
    return t;
}

Response Viewer::statusJson() {
    auto lib = library();
    Json::Value v(Json::objectValue);
    v["records"] = Json::UInt64(lib->size());
    v["factsKnown"] = Json::UInt64(lib->factsKnown());
    size_t conflicts = 0;
    for (size_t p = 0; p < lib->size(); ++p)
        if (const RecordFacts* f = lib->facts(p); f && f->verdictConflict()) ++conflicts;
    v["conflicts"] = Json::UInt64(conflicts);
    const TesterPanel t = panel();
    if (t.available) {
        const auto& s = t.snapshot;
        Json::Value tester(Json::objectValue);
        tester["attached"] = s.tester.attached;
        tester["probing"] = s.probing;
        tester["held"] = Json::UInt64(s.tester.held);
        tester["missing"] = Json::UInt64(s.tester.missing);
        tester["line"] = cleanUtf8(testerLine(t, *lib));
        v["tester"] = tester;
        Json::Value imp(Json::objectValue);
        imp["state"] = toString(s.state);
        imp["done"] = Json::UInt64(s.progress.done);
        imp["total"] = Json::UInt64(s.progress.total);
        imp["phase"] = cleanUtf8(s.progress.phase);
        imp["message"] = cleanUtf8(s.outcome.message);
        imp["imports"] = Json::UInt64(s.imports);
        v["import"] = imp;
    }
    return json(200, v);
}

}  // namespace kx::serve
