// Report pages as HTML.
#include "tester/report/HtmlSink.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tester/draw/Raster.h"

namespace Kestrix::Report {

namespace {

const char* kStyle =
    "body{font-family:Arial,'Liberation Sans',Helvetica,sans-serif;color:#1a1a1a;margin:24px auto;max-width:960px;"
    "font-size:13px}h1{font-size:24px;margin:0 0 8px}h2{font-size:19px;margin:0;display:inline}"
    "section{border-top:2px solid #ccc;margin-top:28px;padding-top:10px}"
    ".head{display:flex;flex-wrap:wrap;align-items:center;gap:10px}.sub{color:#666;margin:2px 0 8px}"
    ".badge{color:#fff;padding:2px 9px;font-weight:bold;font-size:13px}"
    "dl{display:grid;grid-template-columns:repeat(3,1fr);gap:6px 14px;margin:8px 0}"
    "dl div{min-width:0}dt{color:#666;font-size:11px}dd{margin:0;overflow-wrap:anywhere}"
    "table{border-collapse:collapse;width:100%;margin:10px 0;table-layout:fixed}"
    "caption{text-align:left;font-weight:bold;padding:4px 0}"
    "td,th{padding:2px 5px;text-align:left;vertical-align:top;overflow-wrap:anywhere}th{border-bottom:1px solid #555}"
    "th.g{border-bottom:1px solid #ccc;text-align:center}tbody tr:nth-child(even){background:#f2f2f7}"
    ".r{text-align:right}.b{font-weight:bold}.pass{color:#008c33}.fail{color:#cc0000}.warn{color:#d97300}"
    ".muted{color:#737373}.note{font-size:12px}.figs{display:grid;gap:8px;margin:10px 0}"
    ".figs svg{width:100%;height:auto;border:1px solid #ddd}.legend span{margin-right:12px;white-space:nowrap}"
    ".logo{float:right;max-width:180px;max-height:70px}footer{color:#737373;font-size:11px;margin-top:30px}";

const char* toneClass(Tone t) {
    switch (t) {
        case Tone::muted: return "muted";
        case Tone::pass: return "pass";
        case Tone::warn: return "warn";
        case Tone::fail: return "fail";
        default: return "";
    }
}

std::string hexColour(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(std::lround(c.r * 255)),
                  static_cast<int>(std::lround(c.g * 255)), static_cast<int>(std::lround(c.b * 255)));
    return buf;
}

std::string classes(const Cell& c, bool right) {
    std::string s = toneClass(c.tone);
    if (c.bold) s += s.empty() ? "b" : " b";
    if (right) s += s.empty() ? "r" : " r";
    return s.empty() ? "" : " class=\"" + s + "\"";
}

std::string base64(const std::vector<uint8_t>& b) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < b.size(); i += 3) {
        const uint32_t v = static_cast<uint32_t>(b[i]) << 16 | (i + 1 < b.size() ? b[i + 1] << 8 : 0) |
                           (i + 2 < b.size() ? b[i + 2] : 0);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < b.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < b.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

void fields(std::ostream& out, const FieldGrid& g) {
    out << "<dl style=\"grid-template-columns:repeat(" << std::max(1, g.columns) << ",1fr)\">";
    for (const Field& f : g.fields)
        out << "<div><dt>" << htmlEscape(f.label) << "</dt><dd" << classes(f.value, false) << ">"
            << htmlEscape(f.value.text) << "</dd></div>";
    out << "</dl>\n";
}

void table(std::ostream& out, const Table& t) {
    double sum = 0;
    for (const Column& c : t.columns) sum += c.width;
    out << "<table>";
    if (!t.caption.empty()) out << "<caption>" << htmlEscape(t.caption) << "</caption>";
    out << "<colgroup>";
    for (const Column& c : t.columns) {
        char w[32];
        std::snprintf(w, sizeof w, "%.1f", sum > 0 ? 100.0 * c.width / sum : 0.0);
        out << "<col style=\"width:" << w << "%\">";
    }
    out << "</colgroup><thead>";
    if (std::any_of(t.columns.begin(), t.columns.end(), [](const Column& c) { return !c.group.empty(); })) {
        out << "<tr>";
        for (size_t i = 0; i < t.columns.size();) {
            size_t j = i;
            while (j < t.columns.size() && t.columns[j].group == t.columns[i].group) ++j;
            out << "<th" << (j - i > 1 ? " colspan=\"" + std::to_string(j - i) + "\"" : "")
                << (t.columns[i].group.empty() ? "" : " class=\"g\"") << ">" << htmlEscape(t.columns[i].group)
                << "</th>";
            i = j;
        }
        out << "</tr>";
    }
    out << "<tr>";
    for (const Column& c : t.columns)
        out << "<th" << (c.right ? " class=\"r\"" : "") << ">" << htmlEscape(c.title) << "</th>";
    out << "</tr></thead><tbody>\n";
    for (const auto& row : t.rows) {
        out << "<tr>";
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const Cell cell = c < row.size() ? row[c] : Cell();
            out << "<td" << classes(cell, t.columns[c].right) << ">";
            if (!cell.link.empty()) {
                out << "<a href=\"#" << htmlEscape(cell.link) << "\">" << htmlEscape(cell.text) << "</a>";
            } else {
                out << htmlEscape(cell.text);
            }
            out << "</td>";
        }
        out << "</tr>\n";
    }
    out << "</tbody></table>\n";
    if (!t.note.empty()) out << "<p class=\"note muted\">" << htmlEscape(t.note) << "</p>\n";
}

void figures(std::ostream& out, const FigureGrid& g, size_t& counter, const FigureMarkup& figure) {
    out << "<div class=\"figs\" style=\"grid-template-columns:repeat(" << std::max(1, g.columns) << ",1fr)\">";
    for (const Picture& p : g.pictures) {
        out << figure(p, counter);
        ++counter;
    }
    out << "</div>\n";
    if (!g.legend.empty()) {
        out << "<p class=\"legend note\">";
        for (const auto& e : g.legend)
            out << "<span><b style=\"color:" << hexColour(e.colour) << "\">&#9473;&#9473;</b> " << htmlEscape(e.label)
                << "</span>";
        out << "</p>\n";
    }
    if (!g.note.empty()) out << "<p class=\"note muted\">" << htmlEscape(g.note) << "</p>\n";
}

void note(std::ostream& out, const Note& n) {
    const char* cls = toneClass(n.tone);
    out << "<p class=\"note" << (*cls ? " " : "") << cls << "\">" << htmlEscape(n.text) << "</p>\n";
}

void blocks(std::ostream& out, const RecordPage& page, const FigureMarkup& figure) {
    size_t counter = 0;
    for (const Block& b : page.blocks) {
        if (const auto* f = std::get_if<FieldGrid>(&b)) fields(out, *f);
        if (const auto* t = std::get_if<Table>(&b)) table(out, *t);
        if (const auto* g = std::get_if<FigureGrid>(&b)) figures(out, *g, counter, figure);
        if (const auto* n = std::get_if<Note>(&b)) note(out, *n);
    }
}

class HtmlSink : public ReportSink {
public:
    HtmlSink(const std::string& path, const ReportDocument& doc) : _doc(doc), _out(path, std::ios::binary) {
        _out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\"><title>"
             << htmlEscape(doc.options.title) << "</title>\n<style>" << kStyle << "</style></head><body>\n";
    }

    void page(const RecordPage& page, const std::string& footer) override {
        ++_pages;
        _out << "<section" << (page.anchor.empty() ? "" : " id=\"" + htmlEscape(page.anchor) + "\"") << ">";
        if (page.summary) {
            if (Draw::decodePng(_doc.logo))
                _out << "<img class=\"logo\" alt=\"logo\" src=\"data:image/png;base64," << base64(_doc.logo) << "\">";
            _out << "<h1>" << htmlEscape(page.title) << "</h1>\n";
        } else {
            _out << "<div class=\"head\"><h2>" << htmlEscape(page.title) << "</h2>";
            if (page.status >= 0)
                _out << "<span class=\"badge\" style=\"background:" << hexColour(statusColour(page.status)) << "\">"
                     << statusWord(page.status) << "</span>";
            if (!page.mark.empty())
                _out << "<span class=\"badge\" style=\"background:" << hexColour(colors::kFail) << "\">"
                     << htmlEscape(page.mark) << "</span>";
            _out << "</div>";
            if (!page.subtitle.empty()) _out << "<p class=\"sub\">" << htmlEscape(page.subtitle) << "</p>";
            _out << "\n";
        }
        const std::string prefix = "s" + std::to_string(_pages) + "f";
        blocks(_out, page,
               [&prefix](const Picture& p, size_t n) { return svgElement(p, prefix + std::to_string(n) + "-"); });
        if (!footer.empty() && !page.summary) _out << "<p class=\"muted note\">" << htmlEscape(footer) << "</p>";
        _out << "</section>\n";
    }

    std::string finish() override {
        _out << "<footer>" << htmlEscape(_doc.options.title);
        if (!_doc.options.customer.empty()) _out << " \u2013 customer: " << htmlEscape(_doc.options.customer);
        if (!_doc.options.contractor.empty()) _out << " \u2013 contractor: " << htmlEscape(_doc.options.contractor);
        _out << " \u2013 made " << htmlEscape(_doc.made) << " UTC</footer>\n</body></html>\n";
        _out.close();
        return _out ? "" : "the document could not be written";
    }

private:
    const ReportDocument& _doc;
    std::ofstream _out;
    size_t _pages = 0;
};

}  // namespace

std::string htmlEscape(const std::string& s) {
    std::string out;
    for (char c : cleanText(s, 100000)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::unique_ptr<ReportSink> htmlSink(const std::string& path, const ReportDocument& document) {
    return std::make_unique<HtmlSink>(path, document);
}

std::string htmlBlocks(const RecordPage& page, const FigureMarkup& figure) {
    std::ostringstream out;
    blocks(
        out, page,
        figure ? figure : [](const Picture& p, size_t n) { return svgElement(p, "f" + std::to_string(n) + "-"); });
    return out.str();
}

}  // namespace Kestrix::Report
