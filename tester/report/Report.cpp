// The traversal of the inputs and the summary page; the sinks lay the pages out.
#include "tester/report/Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "tester/draw/Raster.h"
#include "tester/import/ImportFolder.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/HtmlSink.h"
#include "tester/report/PdfSink.h"
#include "tester/report/RecordPages.h"
#include "tester/report/SummaryRows.h"

namespace Kestrix::Report {

namespace fs = std::filesystem;

namespace {

// Inputs and logos larger than this are refused rather than read.
constexpr uintmax_t kMaxInput = 256u << 20;
constexpr uintmax_t kMaxLogo = 8u << 20;

std::string dateText(Tester::HostDate d) {
    std::string s = Tester::HxDataDate::ToIso8601(d);
    if (s.size() >= 16) s = s.substr(0, 10) + " " + s.substr(11, 5);
    return s;
}

// "" or why the file cannot be read.
std::string readFile(const std::string& path, uintmax_t limit, std::vector<uint8_t>& bytes) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) return "cannot read it";
    if (size > limit) return "too large (" + std::to_string(size) + " bytes)";
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot read it";
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (bytes.size() != size) return "cannot read it";
    return "";
}

std::string lengthText(double m, bool feet) {
    if (!std::isfinite(m) || m <= 0) return "-";
    char buf[48];
    std::snprintf(buf, sizeof buf, feet ? "%.1f ft" : "%.1f m", feet ? m * 3.2808399 : m);
    return buf;
}

struct Item {
    SummaryRow row;
    RecordPage page;
};

Table projectTable(const ReportDocument& d) {
    Table t;
    t.caption = "Totals per project";
    t.columns = {{"Project", 131},         {"Records", 44, true},   {"Pass", 40, true},
                 {"Pass*", 40, true},      {"Pass acc.", 44, true}, {"Fail", 40, true},
                 {"No verdict", 48, true}, {"Conflicts", 48, true}, {"Damaged", 48, true}};
    for (const auto& [name, n] : d.projects)
        t.rows.push_back({Cell(name.empty() ? "(no project)" : name, Tone::normal, true),
                          Cell(std::to_string(n.records)), Cell(std::to_string(n.pass), Tone::pass),
                          Cell(std::to_string(n.passStar), n.passStar ? Tone::warn : Tone::normal),
                          Cell(std::to_string(n.passAcceptable)),
                          Cell(std::to_string(n.fail), n.fail ? Tone::fail : Tone::normal),
                          Cell(std::to_string(n.noVerdict)),
                          Cell(std::to_string(n.conflicts), n.conflicts ? Tone::fail : Tone::normal),
                          Cell(std::to_string(n.damaged), n.damaged ? Tone::fail : Tone::normal)});
    return t;
}

Table rowsTable(const ReportDocument& d) {
    Table t;
    t.caption = "Records";
    t.columns = {{"#", 18, true},      {"Project", 50}, {"Site", 44},   {"Cable ID", 62},     {"Date (UTC)", 58},
                 {"Media / test", 60}, {"Limit", 62},   {"Result", 46}, {"Worst margin", 88}, {"Length", 35, true}};
    for (size_t i = 0; i < d.rows.size(); ++i) {
        const SummaryRow& r = d.rows[i];
        std::string result = statusText(r);
        Tone tone = statusTone(r.status);
        if (!r.conflict.empty()) {
            result += " CONFLICT";
            tone = Tone::fail;
        }
        if (!r.damage.empty()) {
            result += " DAMAGED";
            tone = Tone::fail;
        }
        Cell id(r.cableId.empty() ? "(no cable id)" : r.cableId, Tone::normal, true);
        id.link = "r" + std::to_string(i + 1);
        std::string media = r.media;
        if (!r.testType.empty()) media += (media.empty() ? "" : ", ") + r.testType;
        t.rows.push_back(
            {Cell(std::to_string(i + 1), Tone::muted), Cell(r.project), Cell(r.site), id, Cell(r.date),
             Cell(media.empty() ? "-" : media), Cell(r.limit.empty() ? "-" : r.limit), Cell(result, tone, true),
             Cell(r.worstText.empty() ? "-" : r.worstText, r.worst && r.worst->negative() ? Tone::fail : Tone::normal),
             Cell(lengthText(r.lengthMeters, d.options.feet))});
    }
    t.note =
        "PASS*: passed within the tester's accuracy. PASS ACC.: passed as acceptable under its limit's rule. "
        "NO VERDICT: not judged against a limit. CONFLICT: the stored verdict disagrees with the record's own "
        "tests (see its page). DAMAGED: the input cannot be read in full. Worst margin: the smallest margin of "
        "the swept tests (copper) or of the loss budget and link loss (fiber), with where it is.";
    return t;
}

}  // namespace

std::string collectInputs(const std::vector<std::string>& inputs, std::vector<std::string>& files) {
    files.clear();
    for (const std::string& in : inputs) {
        std::error_code ec;
        if (fs::is_regular_file(in, ec)) {
            files.push_back(in);
            continue;
        }
        if (!fs::is_directory(in, ec)) return "no such file or folder: " + in;
        std::vector<std::string> found;
        for (fs::recursive_directory_iterator it(in, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec) && it->path().extension() == ".result") found.push_back(it->path().string());
        }
        if (ec) return "cannot list " + in + ": " + ec.message();
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    if (files.empty()) return "no result files in the input";
    return "";
}

std::string unreadableMessage(const std::vector<std::string>& unreadable, bool reported) {
    std::string e = std::to_string(unreadable.size()) +
                    (unreadable.size() == 1 ? " input cannot be read" : " inputs cannot be read") +
                    (reported ? " (reported as damaged):" : " (--keep-going reports them as damaged):");
    for (const std::string& u : unreadable) e += "\n  " + cleanText(u, 600);
    return e;
}

std::string buildReport(const std::vector<std::string>& files, const ReportOptions& o, ReportDocument& d,
                        std::vector<std::string>& unreadable, bool pages) {
    d = ReportDocument();
    d.options = o;
    d.made = dateText(Tester::HxDataDate::GetSpanNow());
    if (!o.logoFile.empty()) {
        const std::string e = readFile(o.logoFile, kMaxLogo, d.logo);
        if (!e.empty()) return "the logo " + o.logoFile + ": " + e;
        if (!Draw::decodePng(d.logo))
            return "the logo is not a PNG picture of at most 4096 pixels a side: " + o.logoFile;
    }
    Import::ImportFolders folders;
    std::vector<Item> items;
    for (const std::string& f : files) {
        std::vector<uint8_t> bytes;
        std::string why = readFile(f, kMaxInput, bytes);
        Tester::RecordSummary summary;
        if (why.empty() && (bytes.empty() || !Tester::TestRecordTarvel::LoadSummary(&summary, bytes)))
            why = "not a readable result file";
        if (!why.empty()) {
            unreadable.push_back(f + ": " + why);
            if (o.keepGoing) items.push_back({unreadableRow(f, why), RecordPage()});
            continue;
        }
        Tester::TestRecordTarvel record(std::move(bytes));
        std::string project, site;
        projectAndSite(f, project, site, folders);
        Item item{summaryRow(record, project, site, f), RecordPage()};
        if (!item.row.damage.empty()) {
            unreadable.push_back(f + ": " + item.row.damage);
            if (!o.keepGoing) continue;
        }
        if (!o.project.empty() && item.row.project != o.project) continue;
        // Pages are made now, while the record is decoded: each input is read once.
        if (pages && (unreadable.empty() || o.keepGoing)) item.page = recordPage(record, item.row, o);
        items.push_back(std::move(item));
    }
    if (!unreadable.empty() && !o.keepGoing) return "";
    if (!o.project.empty() && items.empty()) return "no records of the project " + o.project;

    if (o.latest) {
        std::vector<SummaryRow> rows;
        for (Item& i : items) rows.push_back(i.row);
        std::vector<SummaryRow> superseded;
        keepLatest(rows, superseded);
        std::vector<Item> kept;
        size_t r = 0;
        for (Item& i : items)
            if (r < rows.size() && rows[r].file == i.row.file && rows[r].time == i.row.time &&
                rows[r].cableId == i.row.cableId) {
                kept.push_back(std::move(i));
                ++r;
            }
        items = std::move(kept);
        d.superseded = std::move(superseded);
    }
    if (o.failsOnly) {
        const size_t before = items.size();
        items.erase(std::remove_if(items.begin(), items.end(), [](const Item& i) { return !needsAttention(i.row); }),
                    items.end());
        d.leftOut = before - items.size();
    }
    std::map<std::string, Totals> projects;
    for (Item& i : items) {
        d.totals.add(i.row);
        projects[i.row.project].add(i.row);
        d.rows.push_back(i.row);
    }
    d.projects.assign(projects.begin(), projects.end());
    if (!pages) return "";
    d.pages.push_back(summaryPage(d));
    for (size_t n = 0; n < items.size(); ++n) {
        RecordPage& p = items[n].page;
        if (!items[n].row.damage.empty()) p = damagedPage(items[n].row);
        p.anchor = "r" + std::to_string(n + 1);
        d.pages.push_back(std::move(p));
    }
    return "";
}

RecordPage summaryPage(const ReportDocument& d) {
    RecordPage s;
    s.summary = true;
    s.anchor = "summary";
    s.title = d.options.title;
    FieldGrid head;
    head.columns = 3;
    if (!d.options.customer.empty())
        head.fields.push_back({"Customer", Cell(cleanText(d.options.customer), Tone::normal, true)});
    if (!d.options.contractor.empty())
        head.fields.push_back({"Contractor", Cell(cleanText(d.options.contractor), Tone::normal, true)});
    if (!d.options.project.empty()) head.fields.push_back({"Project", Cell(cleanText(d.options.project))});
    if (!d.options.operatorName.empty())
        head.fields.push_back({"Operator (where a record names none)", Cell(cleanText(d.options.operatorName))});
    head.fields.push_back({"Made", Cell(d.made + " UTC")});
    s.blocks.push_back(head);
    s.blocks.push_back(
        Note{d.totals.text(), d.totals.fail || d.totals.conflicts || d.totals.damaged ? Tone::fail : Tone::normal});
    if (d.leftOut)
        s.blocks.push_back(Note{std::to_string(d.leftOut) +
                                    " records that passed without a conflict are left out (only failures asked for).",
                                Tone::muted});
    if (!d.projects.empty()) s.blocks.push_back(projectTable(d));
    s.blocks.push_back(rowsTable(d));
    Table conflicts;
    conflicts.caption = "Verdict conflicts";
    conflicts.columns = {{"#", 20, true}, {"Cable ID", 80}, {"What disagrees", 423}};
    Table damaged;
    damaged.caption = "Damaged inputs";
    damaged.columns = {{"#", 20, true},    {"File", 170},  {"Cable ID", 70},
                       {"Date (UTC)", 56}, {"Stored", 46}, {"Why", 161}};
    for (size_t i = 0; i < d.rows.size(); ++i) {
        const SummaryRow& r = d.rows[i];
        Cell id(r.cableId.empty() ? "(no cable id)" : r.cableId, Tone::normal, true);
        id.link = "r" + std::to_string(i + 1);
        if (!r.conflict.empty())
            conflicts.rows.push_back({Cell(std::to_string(i + 1), Tone::muted), id, Cell(r.conflict, Tone::fail)});
        if (!r.damage.empty())
            damaged.rows.push_back({Cell(std::to_string(i + 1), Tone::muted), Cell(cleanText(r.file, 400)), id,
                                    Cell(r.date.empty() ? "-" : r.date),
                                    Cell(statusText(r), statusTone(r.status), true), Cell(r.damage, Tone::fail)});
    }
    if (!conflicts.rows.empty()) s.blocks.push_back(conflicts);
    if (!damaged.rows.empty()) s.blocks.push_back(damaged);
    if (!d.superseded.empty()) {
        Table t;
        t.caption = "Superseded re-tests (" + std::to_string(d.superseded.size()) + ", not counted above)";
        t.columns = {{"Cable ID", 80}, {"Date (UTC)", 56}, {"Result", 50}, {"File", 168}, {"Replaced by", 169}};
        for (const SummaryRow& r : d.superseded)
            t.rows.push_back({Cell(r.cableId, Tone::normal, true), Cell(r.date),
                              Cell(statusText(r), statusTone(r.status)), Cell(cleanText(r.file, 400)),
                              Cell(cleanText(r.supersededBy, 400))});
        s.blocks.push_back(t);
    }
    return s;
}

std::string writeReport(const std::vector<std::string>& files, const std::string& out, const ReportOptions& o,
                        std::vector<std::string>* damaged) {
    ReportDocument d;
    std::vector<std::string> unreadable;
    if (std::string e = buildReport(files, o, d, unreadable); !e.empty()) return e;
    if (!unreadable.empty() && !o.keepGoing) return unreadableMessage(unreadable, false);
    if (damaged != nullptr) *damaged = unreadable;
    const std::string temp = tempNameFor(out);
    std::unique_ptr<ReportSink> sink = o.html ? htmlSink(temp, d) : pdfSink(temp, d);
    const size_t records = d.pages.size() - 1;
    for (size_t i = 0; i < d.pages.size(); ++i)
        sink->page(d.pages[i], i == 0 ? "Summary" : "Record " + std::to_string(i) + " of " + std::to_string(records));
    std::string error = sink->finish();
    sink.reset();
    if (!error.empty()) {
        std::error_code ec;
        fs::remove(temp, ec);
        return "cannot write " + out + ": " + error;
    }
    return commitFile(temp, out);
}

}  // namespace Kestrix::Report
