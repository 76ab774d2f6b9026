// Summary and record pages of the certification report, in PDF or HTML.
#include "tester/report/Report.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>

#include <json/json.h>

#include "common/ResultEnvelope.h"
#include "common/ResultSummary.h"
#include "tester/import/ImportFolder.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Canvas.h"
#include "tester/report/Chart.h"
#include "tester/report/RecordPlots.h"

namespace Kestrix::Report {

namespace fs = std::filesystem;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPageW = 595, kPageH = 842;  // A4 in points
constexpr double kMargin = 36;
constexpr double kRowH = 12;
// A record file beside a result is read only up to this size.
constexpr uintmax_t kMaxSideFile = 16u << 20;

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

void considerMargins(double& worst, const std::vector<Tester::SingleMeasurement>& ms) {
    for (const auto& m : ms)
        for (const auto& p : m.Params)
            if ((p.Kind == Tester::MeasKind::MarginLower || p.Kind == Tester::MeasKind::MarginUpper) &&
                std::isfinite(p.Value) && (std::isnan(worst) || p.Value < worst))
                worst = p.Value;
}

template <class T>
std::vector<Tester::SingleMeasurement> asSingle(const std::vector<T>& v) {
    return std::vector<Tester::SingleMeasurement>(v.begin(), v.end());
}

std::string isoDate(Tester::HostDate d) {
    std::string s = Tester::HxDataDate::ToIso8601(d);
    if (s.size() >= 16) s = s.substr(0, 10) + " " + s.substr(11, 5);
    return s;
}

std::vector<uint8_t> readFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return {};
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Project and site from the host record the importer wrote for the result, where its folder's index says.
void projectAndSite(const std::string& resultPath, std::string& project, std::string& site,
                    Import::ImportFolders& folders) {
    const auto record = folders.recordPathOf(resultPath);
    if (!record) return;
    const fs::path& side = *record;
    std::error_code ec;
    if (!fs::is_regular_file(side, ec) || fs::file_size(side, ec) > kMaxSideFile || ec) return;
    std::ifstream in(side);
    Json::Value j;
    Json::CharReaderBuilder b;
    std::string errors;
    if (!Json::parseFromStream(b, in, &j, &errors) || !j.isObject()) return;
    const Json::Value& meta = j["RecordMetaData"];
    if (!meta.isObject()) return;
    if (meta["Project"].isString()) project = meta["Project"].asString();
    if (meta["Site"].isString()) site = meta["Site"].asString();
}

struct LoadedRecord {
    std::unique_ptr<Tester::TestRecordTarvel> record;
    std::string project, site;
};

std::string load(const std::string& path, LoadedRecord& out, Import::ImportFolders& folders) {
    std::string error;
    std::vector<uint8_t> bytes = readFile(path, error);
    if (!error.empty()) return error;
    Tester::RecordSummary summary;
    if (bytes.empty() || !Tester::TestRecordTarvel::LoadSummary(&summary, bytes))
        return "not a readable result file: " + path;
    out.record = std::make_unique<Tester::TestRecordTarvel>(std::move(bytes));
    projectAndSite(path, out.project, out.site, folders);
    return "";
}

// Text cut to fit a width, with "..." when cut.
std::string fitText(cairo_t* cr, const std::string& text, double width) {
    std::string s = cleanText(text);
    if (textWidth(cr, s) <= width) return s;
    while (!s.empty() && textWidth(cr, s + "...") > width) {
        s.pop_back();
        while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
        if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.pop_back();
    }
    return s + "...";
}

std::string lengthText(double m, bool feet) {
    if (!std::isfinite(m) || m <= 0) return "-";
    return feet ? fmt("%.1f ft", m * 3.2808399) : fmt("%.1f m", m);
}

std::string marginText(double m) { return std::isfinite(m) ? fmt("%.1f dB", m) : "-"; }

struct Totals {
    size_t pass = 0, passStar = 0, fail = 0, other = 0;
    void add(int status) {
        if (status == 4 || status == 7) {
            ++pass;
        } else if (status == 3) {
            ++passStar;
        } else if (status == 0) {
            ++fail;
        } else {
            ++other;
        }
    }
    std::string text(size_t records) const {
        std::string s = std::to_string(records) + " records: " + std::to_string(pass) + " pass, " +
                        std::to_string(passStar) + " pass*, " + std::to_string(fail) + " fail";
        if (other) s += ", " + std::to_string(other) + " without verdict";
        return s;
    }
};

struct Column {
    const char* title;
    double width;
};
// 516 points: the page between its margins.
constexpr Column kColumns[] = {{"Project", 60}, {"Site", 48},   {"Cable ID", 76}, {"Date", 66},  {"Tester", 72},
                               {"Limit", 76},   {"Status", 34}, {"Length", 44},   {"Margin", 40}};

std::vector<std::string> rowCells(const SummaryRow& r, bool feet) {
    return {r.project,
            r.site,
            r.cableId,
            r.date,
            r.tester,
            r.limit,
            statusWord(r.status),
            lengthText(r.lengthMeters, feet),
            marginText(r.worstMargin)};
}

// Key figures of a record page, as label and value.
std::vector<std::pair<std::string, std::string>> keyFigures(Tester::TestRecordTarvel& rec, const SummaryRow& row,
                                                            bool feet) {
    std::vector<std::pair<std::string, std::string>> k = {
        {"Project", row.project},
        {"Site", row.site},
        {"Date", row.date},
        {"Tester", row.tester},
        {"Limit", row.limit},
        {"Length", lengthText(row.lengthMeters, feet)},
        {"Worst margin", marginText(row.worstMargin)},
    };
    for (const auto& t : rec.GetTests()) k.push_back({cleanText(t.Name, 40), statusWord(t.Status)});
    if (rec.IsFiber()) {
        for (int end : {1, 2}) {
            auto loss = rec.GetLossTest(end);
            if (!loss) continue;
            for (const auto& m : loss->Measurements) {
                const Tester::MeasParam* v = m.Find(Tester::MeasKind::Value);
                if (v == nullptr || !m.Wavelength) continue;
                k.push_back({"Loss " + std::to_string(*m.Wavelength) + " nm (end " + std::to_string(end) + ")",
                             std::isfinite(v->Value) ? fmt("%.2f dB", v->Value) : "-"});
            }
        }
    }
    return k;
}

// Draws into a sequence of pages: PDF pages, or pictures collected for HTML.
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual void page(const Picture& p) = 0;
};

class PdfSink : public PageSink {
public:
    explicit PdfSink(const std::string& path)
        : _surface(cairo_pdf_surface_create(path.c_str(), kPageW, kPageH)), _cr(cairo_create(_surface)) {
        cairo_pdf_surface_set_metadata(_surface, CAIRO_PDF_METADATA_CREATOR, "kestrix");
    }
    ~PdfSink() override {
        cairo_destroy(_cr);
        cairo_surface_destroy(_surface);
    }
    void page(const Picture& p) override {
        cairo_save(_cr);
        p.draw(_cr);
        cairo_restore(_cr);
        cairo_show_page(_cr);
        ++_pages;
    }
    std::string finish() {
        const cairo_status_t s = cairo_status(_cr);
        cairo_surface_finish(_surface);
        if (s != CAIRO_STATUS_SUCCESS) return cairo_status_to_string(s);
        if (cairo_surface_status(_surface) != CAIRO_STATUS_SUCCESS)
            return cairo_status_to_string(cairo_surface_status(_surface));
        return "";
    }

private:
    cairo_surface_t* _surface;
    cairo_t* _cr;
    size_t _pages = 0;
};

void summaryPages(PageSink& sink, const std::vector<SummaryRow>& rows, const ReportOptions& o) {
    Totals totals;
    for (const auto& r : rows) totals.add(r.status);
    const std::string stamp = isoDate(Tester::HxDataDate::GetSpanNow());
    const size_t firstRows = static_cast<size_t>((kPageH - 2 * kMargin - 90) / kRowH);
    const size_t laterRows = static_cast<size_t>((kPageH - 2 * kMargin - 40) / kRowH);
    size_t start = 0;
    int pageNo = 1;
    const size_t pages = rows.size() <= firstRows ? 1 : 1 + (rows.size() - firstRows + laterRows - 1) / laterRows;
    do {
        const bool first = start == 0;
        const size_t count = std::min(rows.size() - start, first ? firstRows : laterRows);
        Picture p;
        p.width = kPageW;
        p.height = kPageH;
        p.draw = [&, start, count, first, pageNo](cairo_t* cr) {
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_paint(cr);
            double y = kMargin;
            setColour(cr, colors::kText);
            if (first) {
                setFont(cr, 18, true);
                drawText(cr, kMargin, y + 14, fitText(cr, o.title, kPageW - 2 * kMargin));
                setFont(cr, 10);
                drawText(cr, kMargin, y + 34, "Summary, made " + stamp + " UTC");
                setFont(cr, 11, true);
                drawText(cr, kMargin, y + 54, totals.text(rows.size()));
                y += 76;
            } else {
                setFont(cr, 10);
                drawText(cr, kMargin, y + 10, "Summary (continued)");
                y += 26;
            }
            setFont(cr, 7.5, true);
            double x = kMargin;
            for (const Column& c : kColumns) {
                drawText(cr, x, y, c.title);
                x += c.width;
            }
            setColour(cr, colors::kFrame);
            cairo_set_line_width(cr, 0.7);
            cairo_move_to(cr, kMargin, y + 3);
            cairo_line_to(cr, kPageW - kMargin, y + 3);
            cairo_stroke(cr);
            setFont(cr, 7.5);
            for (size_t i = 0; i < count; ++i) {
                y += kRowH;
                const SummaryRow& r = rows[start + i];
                if (i % 2 == 1) {
                    setColour(cr, {0.95, 0.95, 0.97});
                    cairo_rectangle(cr, kMargin, y - 9, kPageW - 2 * kMargin, kRowH);
                    cairo_fill(cr);
                }
                const auto cells = rowCells(r, o.feet);
                x = kMargin;
                for (size_t c = 0; c < cells.size(); ++c) {
                    setColour(cr, c == 6 ? statusColour(r.status) : colors::kText);
                    drawText(cr, x, y, fitText(cr, cells[c], kColumns[c].width - 4));
                    x += kColumns[c].width;
                }
            }
            setColour(cr, colors::kNeutral);
            setFont(cr, 8);
            drawText(cr, kMargin, kPageH - 20,
                     "Summary page " + std::to_string(pageNo) + " of " + std::to_string(pages));
        };
        sink.page(p);
        start += count;
        ++pageNo;
    } while (start < rows.size());
}

void recordPages(PageSink& sink, Tester::TestRecordTarvel& rec, const SummaryRow& row, size_t index, size_t total,
                 const ReportOptions& o) {
    PlotOptions po;
    po.compact = true;
    po.feet = o.feet;
    std::vector<Picture> pictures = recordPictures(rec, po);
    const auto figures = keyFigures(rec, row, o.feet);
    const double contentW = kPageW - 2 * kMargin;
    size_t next = 0;
    bool firstPage = true;
    do {
        // Which pictures fit on this page, top to bottom.
        double y = kMargin + (firstPage ? 40 + 13.0 * static_cast<double>((figures.size() + 1) / 2) + 10 : 30);
        const size_t from = next;
        std::vector<std::pair<size_t, double>> placed;  // picture index, top
        while (next < pictures.size()) {
            const Picture& p = pictures[next];
            const double scale = std::min(1.0, contentW / p.width);
            const double h = std::min(p.height * scale, kPageH - 2 * kMargin - 30);
            if (y + h > kPageH - kMargin - 10 && next > from) break;
            placed.emplace_back(next, y);
            y += h + 8;
            ++next;
        }
        Picture page;
        page.width = kPageW;
        page.height = kPageH;
        page.draw = [&, placed, firstPage](cairo_t* cr) {
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_paint(cr);
            setColour(cr, colors::kText);
            setFont(cr, 15, true);
            drawText(cr, kMargin, kMargin + 14,
                     fitText(cr, row.cableId.empty() ? "(no cable id)" : row.cableId, contentW - 120) +
                         (firstPage ? "" : " (continued)"));
            drawBadge(cr, kPageW - kMargin, kMargin, statusWord(row.status), statusColour(row.status));
            if (firstPage) {
                setFont(cr, 9);
                double fy = kMargin + 40;
                for (size_t i = 0; i < figures.size(); ++i) {
                    const double fx = kMargin + (i % 2) * contentW / 2;
                    setColour(cr, colors::kNeutral);
                    drawText(cr, fx, fy, fitText(cr, figures[i].first, 110));
                    setColour(cr, colors::kText);
                    drawText(cr, fx + 115, fy, fitText(cr, figures[i].second, contentW / 2 - 120));
                    if (i % 2 == 1) fy += 13;
                }
            }
            for (const auto& [i, top] : placed) {
                const Picture& p = pictures[i];
                const double scale = std::min(1.0, contentW / p.width);
                cairo_save(cr);
                cairo_translate(cr, kMargin, top);
                cairo_scale(cr, scale, scale);
                cairo_rectangle(cr, 0, 0, p.width, p.height);
                cairo_clip(cr);
                p.draw(cr);
                cairo_restore(cr);
                setColour(cr, colors::kGrid);
                cairo_set_line_width(cr, 0.7);
                cairo_rectangle(cr, kMargin, top, p.width * scale, p.height * scale);
                cairo_stroke(cr);
            }
            if (firstPage && pictures.empty()) {
                setColour(cr, colors::kNeutral);
                setFont(cr, 10);
                drawText(cr, kMargin, kMargin + 40 + 13.0 * static_cast<double>((figures.size() + 1) / 2) + 20,
                         "This record holds no plots.");
            }
            setColour(cr, colors::kNeutral);
            setFont(cr, 8);
            drawText(cr, kMargin, kPageH - 20, "Record " + std::to_string(index + 1) + " of " + std::to_string(total));
        };
        sink.page(page);
        firstPage = false;
    } while (next < pictures.size());
}

std::string htmlEscape(const std::string& s) {
    std::string out;
    for (char c : cleanText(s, 4000)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string hexColour(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(std::lround(c.r * 255)),
                  static_cast<int>(std::lround(c.g * 255)), static_cast<int>(std::lround(c.b * 255)));
    return buf;
}

std::string badge(int status) {
    return "<span class=\"badge\" style=\"background:" + hexColour(statusColour(status)) + "\">" + statusWord(status) +
           "</span>";
}

// Text as HTML, pictures as inline SVG (cairo's XML declaration has no place inside HTML).
void htmlSummary(std::ostream& out, const std::vector<SummaryRow>& rows, const ReportOptions& o) {
    Totals totals;
    for (const auto& r : rows) totals.add(r.status);
    out << "<h1>" << htmlEscape(o.title) << "</h1>\n<p>Summary, made " << isoDate(Tester::HxDataDate::GetSpanNow())
        << " UTC</p>\n<p class=\"totals\">" << totals.text(rows.size()) << "</p>\n<table class=\"summary\"><tr>";
    for (const Column& c : kColumns) out << "<th>" << c.title << "</th>";
    out << "</tr>\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto cells = rowCells(rows[i], o.feet);
        out << "<tr>";
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c == 2) {
                out << "<td><a href=\"#r" << i + 1 << "\">" << htmlEscape(cells[c].empty() ? "(no cable id)" : cells[c])
                    << "</a></td>";
            } else if (c == 6) {
                out << "<td style=\"color:" << hexColour(statusColour(rows[i].status)) << "\">" << htmlEscape(cells[c])
                    << "</td>";
            } else {
                out << "<td>" << htmlEscape(cells[c]) << "</td>";
            }
        }
        out << "</tr>\n";
    }
    out << "</table>\n";
}

void htmlRecord(std::ostream& out, Tester::TestRecordTarvel& rec, const SummaryRow& row, size_t index,
                const ReportOptions& o) {
    out << "<section id=\"r" << index + 1 << "\"><h2>"
        << htmlEscape(row.cableId.empty() ? "(no cable id)" : row.cableId) << " " << badge(row.status)
        << "</h2>\n<table class=\"figures\">";
    for (const auto& [label, value] : keyFigures(rec, row, o.feet))
        out << "<tr><th>" << htmlEscape(label) << "</th><td>" << htmlEscape(value) << "</td></tr>";
    out << "</table>\n";
    PlotOptions po;
    po.feet = o.feet;
    for (const Picture& p : recordPictures(rec, po)) {
        const std::string svg = svgText(p);
        const size_t at = svg.find("<svg");
        if (at != std::string::npos) out << "<div class=\"plot\">" << svg.substr(at) << "</div>\n";
    }
    out << "</section>\n";
}

}  // namespace

SummaryRow summaryRow(Tester::TestRecordTarvel& rec, const std::string& project, const std::string& site) {
    SummaryRow r;
    r.project = project;
    r.site = site;
    r.copper = rec.IsCopper();
    r.worstMargin = kNaN;
    r.lengthMeters = kNaN;
    if (auto meta = rec.ExtractMetaDataFromResult()) {
        r.cableId = meta->CableID;
        r.date = isoDate(meta->TestDate);
        r.status = meta->Status;
        r.lengthMeters = meta->LengthMeters;
        if (r.project.empty()) r.project = meta->Project;
        if (r.site.empty()) r.site = meta->Site;
    }
    const auto tests = rec.GetTests();
    for (const auto& t : tests) {
        auto tm = rec.GetTestMetaData(t.TestId);
        if (!tm) continue;
        if (r.limit.empty()) r.limit = tm->LimitName;
        if (r.tester.empty() && tm->Tester1)
            r.tester = std::to_string(tm->Tester1->ModelID) + " / " + tm->Tester1->TesterSerialNumber;
    }
    if (rec.IsCopper()) {
        for (const auto& t : tests) {
            if (auto f = rec.GetFrequencyTest(t.TestId)) {
                // Only the worst-margin rows are judged against the limit.
                std::vector<Tester::SingleMeasurement> wm;
                for (const auto& m : f->Measurements)
                    if (m.IsWorstMarginSpecified) wm.push_back(m);
                considerMargins(r.worstMargin, wm);
            }
            if (auto s = rec.GetScalarTest(t.TestId)) considerMargins(r.worstMargin, s->Measurements);
        }
    } else if (rec.IsFiber()) {
        for (int end : {1, 2}) {
            if (auto l = rec.GetLossTest(end)) considerMargins(r.worstMargin, asSingle(l->Measurements));
            if (rec.HasOtdrTest(end))
                if (auto o = rec.GetOtdrTest(end))
                    for (const auto& w : o->Wavelengths) considerMargins(r.worstMargin, asSingle(w.Measurements));
        }
    }
    if (std::isnan(r.worstMargin)) {
        // Nothing judged in the tests: the headroom the tester stored in the result's summary, when shown.
        ResultSummary stored;
        const auto& bytes = rec.SerializedResult();
        if (!bytes.empty() && bytes.size() <= UINT32_MAX &&
            readResultSummary(stored, bytes.data(), static_cast<uint32_t>(bytes.size())) ==
                ResultReaderStatus::success &&
            stored.headroom.displayType == DisplayType::normal && stored.headroom.value.isFinite())
            r.worstMargin = stored.headroom.value.toDouble();
    }
    return r;
}

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

std::string writeReport(const std::vector<std::string>& files, const std::string& out, const ReportOptions& o) {
    releaseFontCachesAtExit();
    Import::ImportFolders folders;
    std::vector<SummaryRow> rows;
    rows.reserve(files.size());
    for (const std::string& f : files) {
        LoadedRecord r;
        if (std::string e = load(f, r, folders); !e.empty()) return e;
        rows.push_back(summaryRow(*r.record, r.project, r.site));
    }
    const std::string temp = tempNameFor(out);
    std::string error;
    if (o.html) {
        std::ofstream html(temp, std::ios::binary);
        if (!html) return "cannot write " + out;
        html
            << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << htmlEscape(o.title)
            << "</title>\n<style>body{font-family:Arial,Helvetica,sans-serif;color:#1a1a1a;margin:24px;max-width:900px}"
               "table{border-collapse:collapse;font-size:13px}td,th{padding:2px 8px;text-align:left}"
               "table.summary tr:nth-child(even){background:#f2f2f7}table.summary th{border-bottom:1px solid #555}"
               "table.figures th{color:#666;font-weight:normal}section{border-top:2px solid #ccc;margin-top:24px}"
               ".badge{color:#fff;padding:1px 8px;font-size:14px;vertical-align:middle}"
               ".plot{margin:12px 0}.plot svg{max-width:100%;height:auto;border:1px solid #ddd}</style></head><body>\n";
        htmlSummary(html, rows, o);
        for (size_t i = 0; i < files.size() && error.empty(); ++i) {
            LoadedRecord r;
            error = load(files[i], r, folders);
            if (error.empty()) htmlRecord(html, *r.record, rows[i], i, o);
        }
        html << "</body></html>\n";
        html.close();
        if (error.empty() && !html) error = "cannot write " + out;
    } else {
        PdfSink sink(temp);
        summaryPages(sink, rows, o);
        for (size_t i = 0; i < files.size() && error.empty(); ++i) {
            LoadedRecord r;
            error = load(files[i], r, folders);
            if (error.empty()) recordPages(sink, *r.record, rows[i], i, files.size(), o);
        }
        const std::string e = sink.finish();
        if (error.empty() && !e.empty()) error = "cannot write " + out + ": " + e;
    }
    if (!error.empty()) {
        std::error_code ec;
        fs::remove(temp, ec);
        return error;
    }
    return commitFile(temp, out);
}

}  // namespace Kestrix::Report
