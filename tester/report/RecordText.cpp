// Report pages as plain text.
#include "tester/import/ImportFolder.h"
#include "tester/report/RecordText.h"

#include <algorithm>

#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Chart.h"
#include "tester/report/RecordPages.h"
#include "tester/report/SummaryRows.h"

namespace Kestrix::Report {

namespace {

// Characters shown, not bytes: cleaned texts are valid UTF-8.
size_t columnsOf(const std::string& s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string padded(const std::string& s, size_t width, bool right) {
    const size_t n = columnsOf(s);
    if (n >= width) return s;
    const std::string fill(width - n, ' ');
    return right ? fill + s : s + fill;
}

bool isNumber(const std::string& s) {
    const size_t at = s[0] == '-' || s[0] == '+' ? 1 : 0;
    return at < s.size() && s[at] >= '0' && s[at] <= '9';
}

// "Loss (dB)" is headed "Loss" when every number below carries its unit.
std::string heading(const Column& c) {
    const std::string suffix = " (" + c.unit + ")";
    if (!c.unit.empty() && c.title.size() > suffix.size() &&
        c.title.compare(c.title.size() - suffix.size(), suffix.size(), suffix) == 0)
        return c.title.substr(0, c.title.size() - suffix.size());
    return c.title;
}

std::string cellText(const Column& c, const Cell& cell) {
    if (c.unit.empty() || cell.text.empty() || !isNumber(cell.text)) return cell.text;
    return cell.text + " " + c.unit;
}

void trimRight(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

void tableText(const Table& t, std::string& out) {
    const size_t n = t.columns.size();
    std::vector<std::vector<std::string>> cells;
    std::vector<size_t> width(n, 0);
    for (size_t i = 0; i < n; ++i) width[i] = columnsOf(heading(t.columns[i]));
    for (const auto& row : t.rows) {
        std::vector<std::string> line;
        for (size_t i = 0; i < n; ++i) {
            line.push_back(i < row.size() ? cellText(t.columns[i], row[i]) : "");
            width[i] = std::max(width[i], columnsOf(line.back()));
        }
        cells.push_back(std::move(line));
    }
    // A group's name must fit over its columns.
    for (size_t i = 0; i < n;) {
        size_t j = i;
        size_t span = 0;
        while (j < n && t.columns[j].group == t.columns[i].group) span += width[j++] + 2;
        const size_t need = columnsOf(t.columns[i].group) + 2;
        if (!t.columns[i].group.empty() && need > span) width[j - 1] += need - span;
        i = j;
    }
    if (!t.caption.empty()) out += t.caption + "\n";
    const bool groups =
        std::any_of(t.columns.begin(), t.columns.end(), [](const Column& c) { return !c.group.empty(); });
    std::string line = "  ";
    if (groups) {
        for (size_t i = 0; i < n;) {
            size_t j = i, span = 0;
            while (j < n && t.columns[j].group == t.columns[i].group) span += width[j++] + 2;
            line += padded(t.columns[i].group, span, false);
            i = j;
        }
        trimRight(line);
        out += line + "\n";
        line = "  ";
    }
    for (size_t i = 0; i < n; ++i) line += padded(heading(t.columns[i]), width[i], t.columns[i].right) + "  ";
    trimRight(line);
    out += line + "\n";
    for (const auto& row : cells) {
        line = "  ";
        for (size_t i = 0; i < n; ++i) line += padded(row[i], width[i], t.columns[i].right) + "  ";
        trimRight(line);
        out += line + "\n";
    }
    if (!t.note.empty()) out += "  " + t.note + "\n";
}

void fieldsText(const FieldGrid& g, std::string& out) {
    size_t width = 0;
    for (const Field& f : g.fields) width = std::max(width, columnsOf(f.label) + 1);
    for (const Field& f : g.fields) out += padded(f.label + ":", width, false) + "  " + f.value.text + "\n";
}

struct BlockText {
    std::string& out;
    void operator()(const FieldGrid& g) const { fieldsText(g, out); }
    void operator()(const Table& t) const { tableText(t, out); }
    void operator()(const FigureGrid& g) const {
        if (!g.note.empty()) out += g.note + "\n";
    }
    void operator()(const Note& n) const { out += n.text + "\n"; }
};

}  // namespace

std::string pageText(const RecordPage& page) {
    std::string out = page.title;
    if (page.status >= 0) out += "  " + std::string(statusWord(page.status));
    if (!page.mark.empty()) out += "  " + page.mark;
    out += "\n";
    if (!page.subtitle.empty()) out += page.subtitle + "\n";
    for (const Block& b : page.blocks) {
        std::string text;
        std::visit(BlockText{text}, b);
        if (!text.empty()) out += "\n" + text;
    }
    return out;
}

std::string recordText(Tester::TestRecordTarvel& record, const std::string& file) {
    std::string project, site;
    Import::ImportFolders folders;
    projectAndSite(file, project, site, folders);
    const SummaryRow row = summaryRow(record, project, site, file);
    RecordPage page = recordPage(record, row, ReportOptions{});
    if (row.damage.empty()) {
        Table tests;
        tests.caption = "Tests";
        tests.columns = {{"Test", 120}, {"Result", 60}};
        for (const Tester::RecordTest& t : record.GetTests())
            tests.rows.push_back({Cell(cleanText(t.Name)), Cell(statusWord(t.Status))});
        if (!tests.rows.empty()) page.blocks.insert(page.blocks.begin() + 1, tests);
    }
    return pageText(page);
}

}  // namespace Kestrix::Report
