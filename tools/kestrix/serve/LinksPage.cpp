// The links table: filters, the cable-id search, sortable columns, re-tests grouped latest first, pages.
#include <algorithm>
#include <set>

#include "Escape.h"
#include "Pages.h"
#include "PagesInternal.h"
#include "tester/record/RecordMargins.h"

namespace kx::serve {

namespace {

std::string option(const std::string& value, const std::string& label, const std::string& chosen) {
    return "<option value=\"" + html(value) + "\"" + (value == chosen ? " selected" : "") + ">" + html(label) +
           "</option>";
}

std::string select(const std::string& name, const std::string& label, const std::set<std::string>& values,
                   const std::string& chosen) {
    std::string out = "<label>" + html(label) + " <select name=\"" + name + "\">" + option("", "any", chosen);
    for (const auto& v : values)
        if (!v.empty()) out += option(v, v, chosen);
    // A value from the link that no record has (yet) stays chosen.
    if (!chosen.empty() && !values.count(chosen)) out += option(chosen, chosen, chosen);
    return out + "</select></label>";
}

std::string hidden(const std::string& name, const std::string& value) {
    if (value.empty()) return "";
    return "<input type=\"hidden\" name=\"" + name + "\" value=\"" + html(value) + "\">";
}

// A column title that sorts by `key`; a second click turns the order round.
std::string sortHeader(const Selection& s, const std::string& key, const std::string& title) {
    Selection next = s;
    next.page = 1;
    const bool current = s.sort == key;
    next.sort = key;
    next.desc = current ? !s.desc : key == "date";
    const char* aria = current ? (s.desc ? " aria-sort=\"descending\"" : " aria-sort=\"ascending\"") : "";
    return "<th" + std::string(aria) + "><a href=\"" + html(linksHref(next.toQuery())) + "\">" + html(title) +
           (current ? (s.desc ? " &#9660;" : " &#9650;") : "") + "</a></th>";
}

std::string marginCell(const RecordFacts* f) {
    if (!f || !f->row.worst) return "<td class=\"n\">-</td>";
    const auto& w = *f->row.worst;
    return "<td class=\"n" + std::string(w.negative() ? " negative" : "") + "\" title=\"" + html(f->row.worstText) +
           "\">" + html(Kestrix::Tester::marginText(w)) + "</td>";
}

std::string row(const Library& lib, size_t p, bool retest) {
    const LibraryRecord& r = lib.records()[p];
    const RecordFacts* f = lib.facts(p);
    const std::string href = "/record/" + std::to_string(r.id);
    std::string where = r.project + (r.site.empty() ? "" : " / " + r.site);
    if (lib.folders().size() > 1) where = folderName(lib, r.folder) + ": " + where;
    std::string out = "<tr class=\"" + std::string(retest ? "retest " : "") + statusClass(r.status) + "\">";
    out += "<td class=\"num\">" + std::to_string(r.id) + "</td>";
    out += "<td class=\"cable\">" + std::string(retest ? "<span class=\"mark\">earlier</span> " : "") + "<a href=\"" +
           href + "\">" + html(r.cableId.empty() ? "(no cable id)" : r.cableId) + "</a></td>";
    out += "<td>" + html(where) + "</td>";
    out += "<td>" + html(timeText(r.testTime)) + "</td>";
    out += "<td class=\"status\">" + statusBadge(r.status) + (f && f->verdictConflict() ? " " + conflictBadge() : "") +
           "</td>";
    out += "<td>" + html(f ? f->row.testType : "") + "</td>";
    out += "<td>" + html(f ? f->row.limit : "") + "</td>";
    out += "<td class=\"n\">" + lengthCell(r.lengthM) + "</td>";
    out += marginCell(f);
    out += "<td>" + html(f ? f->row.testerSerial : "") + "</td>";
    return out + "</tr>\n";
}

// The PDF report of the selection with the report's options.
std::string reportForm(const Selection& s) {
    std::string out =
        "<details class=\"report-options\"><summary>PDF report with options</summary>"
        "<form id=\"report-form\" method=\"get\" action=\"/links.pdf\">";
    const Params query = s.toQuery();
    for (const auto& [name, value] : query.items()) out += hidden(name, value);
    out += "<label>Title <input name=\"title\" maxlength=\"200\" value=\"Certification report\"></label>";
    out += "<label>Customer <input name=\"customer\" maxlength=\"200\"></label>";
    out += "<label>Contractor <input name=\"contractor\" maxlength=\"200\"></label>";
    out += "<label>Operator (where a record names none) <input name=\"operator\" maxlength=\"200\"></label>";
    out += "<label><input type=\"checkbox\" name=\"latest\" value=\"1\"> latest test of each cable id only</label>";
    out += "<label><input type=\"checkbox\" name=\"fails\" value=\"1\"> failures and conflicts only</label>";
    out += "<label><input type=\"checkbox\" name=\"feet\" value=\"1\"> lengths in feet</label>";
    return out + "<button type=\"submit\">Make the PDF</button></form></details>\n";
}

// The filter form: cable id, status, dates and the facts the library has seen, with the rest of the selection
// kept in hidden fields.
std::string filterForm(const Library& lib, const Selection& s) {
    std::set<std::string> limits, media, types, serials;
    for (size_t p = 0; p < lib.size(); ++p) {
        if (const RecordFacts* f = lib.facts(p)) {
            limits.insert(f->row.limit);
            media.insert(f->row.media);
            types.insert(f->row.testType);
            serials.insert(f->row.testerSerial);
        }
    }
    std::string body = "<form class=\"filters\" id=\"filters\" method=\"get\" action=\"/links\">";
    body += "<label>Cable ID <input type=\"search\" name=\"q\" value=\"" + html(s.q) + "\"></label>";
    body += "<label>Status <select name=\"status\" id=\"status\">" + option("", "any", s.status) +
            option("pass", "PASS", s.status) + option("passstar", "PASS*", s.status) +
            option("fail", "FAIL", s.status) + option("conflict", "verdict conflict", s.status) +
            option("none", "no verdict", s.status) + "</select></label>";
    body += "<label>From <input type=\"date\" name=\"from\" value=\"" + html(s.from) + "\"></label>";
    body += "<label>To <input type=\"date\" name=\"to\" value=\"" + html(s.to) + "\"></label>";
    body += select("limit", "Limit", limits, s.limit);
    body += select("media", "Media", media, s.media);
    body += select("type", "Test type", types, s.type);
    body += select("serial", "Tester", serials, s.serial);
    body += hidden("project", s.project) + hidden("site", s.site) +
            hidden("folder", s.folder >= 0 ? std::to_string(s.folder) : "") +
            hidden("sort", s.sort == "date" ? "" : s.sort) +
            hidden("dir", s.desc == (s.sort == "date") ? "" : (s.desc ? "desc" : "asc"));
    body += "<button type=\"submit\" id=\"apply\">Apply</button> <a href=\"/links\">Clear</a></form>\n";
    return body;
}

// The records of one page of cable id groups, under sortable headers.
std::string linksTable(const Library& lib, const Selection& s, const SelectionResult& result, size_t pageNo) {
    std::string body = "<table class=\"links\" id=\"links\"><thead><tr>";
    body += sortHeader(s, "id", "#") + sortHeader(s, "cable", "Cable ID") + sortHeader(s, "project", "Project / site") +
            sortHeader(s, "date", "Date") + sortHeader(s, "status", "Status") + sortHeader(s, "type", "Test type") +
            sortHeader(s, "limit", "Limit") + sortHeader(s, "length", "Length") +
            sortHeader(s, "margin", "Worst margin") + "<th>Tester</th>";
    body += "</tr></thead><tbody>\n";
    const size_t first = (pageNo - 1) * Selection::kGroupsPerPage;
    const size_t last = std::min(result.groups.size(), first + Selection::kGroupsPerPage);
    for (size_t g = first; g < last; ++g) {
        const auto& group = result.groups[g];
        for (size_t k = 0; k < group.size(); ++k) body += row(lib, group[k], k > 0 || !lib.isLatest(group[k]));
    }
    body += "</tbody></table>\n";
    return body;
}

// Previous and next links around "page n of m"; nothing for a single page.
std::string pageLinks(const Selection& s, size_t pageNo, size_t pages) {
    if (pages <= 1) return "";
    std::string body = "<nav class=\"pages\">";
    if (pageNo > 1) {
        Selection prev = s;
        prev.page = pageNo - 1;
        body += "<a rel=\"prev\" href=\"" + html(linksHref(prev.toQuery())) + "\">&laquo; previous</a> ";
    }
    body += "page " + std::to_string(pageNo) + " of " + std::to_string(pages);
    if (pageNo < pages) {
        Selection next = s;
        next.page = pageNo + 1;
        body += " <a rel=\"next\" href=\"" + html(linksHref(next.toQuery())) + "\">next &raquo;</a>";
    }
    body += "</nav>\n";
    return body;
}

}  // namespace

std::string linksPage(const Library& lib, const Selection& s, const SelectionResult& result) {
    std::string body = "<h1>Links</h1>\n";
    if (!s.project.empty() || s.folder >= 0) {
        body += "<p class=\"where\">";
        if (s.folder >= 0) body += html(folderName(lib, static_cast<uint32_t>(s.folder))) + " ";
        if (!s.project.empty()) body += "&rsaquo; " + html(s.project) + " ";
        if (!s.site.empty()) body += "&rsaquo; " + html(s.site);
        body += "</p>\n";
    }
    body += filterForm(lib, s);

    Selection all = s;
    all.page = 1;
    const std::string q = all.toQuery().encode();
    const size_t pages = result.pages();
    const size_t pageNo = std::min(s.page, pages);
    body += "<p class=\"count\" id=\"count\" data-records=\"" + std::to_string(result.records) + "\">" +
            thousands(result.records) + (result.records == 1 ? " record" : " records") + " of " +
            thousands(result.groups.size()) + " cable ids &middot; page " + std::to_string(pageNo) + " of " +
            std::to_string(pages) + " &middot; <a id=\"csv\" href=\"" +
            html("/links.csv" + (q.empty() ? "" : "?" + q)) +
            "\" download>CSV of this selection</a> &middot; <a id=\"pdf\" href=\"" +
            html("/links.pdf" + (q.empty() ? "" : "?" + q)) + "\">PDF report</a></p>\n";
    body += reportForm(all);
    if (result.unknownFacts > 0 || (s.needsFacts() && lib.factsKnown() < lib.size()))
        body += "<p class=\"note\">Still reading records (" + thousands(lib.factsKnown()) + " of " +
                thousands(lib.size()) + "): this filter or order may leave some out for a moment.</p>\n";

    body += linksTable(lib, s, result, pageNo);
    if (result.groups.empty()) body += "<p class=\"note\">No record matches.</p>\n";
    body += pageLinks(s, pageNo, pages);
    return page("Links", body);
}

}  // namespace kx::serve
