// The home page: totals, the tester and its import, and the project and site tree of every folder.
#include <map>

#include "Escape.h"
#include "Pages.h"
#include "PagesInternal.h"

namespace kx::serve {

namespace {

struct Counts {
    size_t records = 0, pass = 0, passStar = 0, fail = 0, none = 0;
    void add(int status) {
        ++records;
        const std::string c = statusClass(status);
        (c == "pass" ? pass : c == "passstar" ? passStar : c == "fail" ? fail : none) += 1;
    }
    std::string text() const {
        std::string s = thousands(records) + (records == 1 ? " record" : " records");
        s += ": " + thousands(pass) + " pass";
        if (passStar) s += ", " + thousands(passStar) + " pass*";
        s += ", " + thousands(fail) + " fail";
        if (none) s += ", " + thousands(none) + " without verdict";
        return s;
    }
};

std::string total(const std::string& label, size_t n, const std::string& cls, const Params& query) {
    return "<a class=\"total " + cls + "\" href=\"" + html(linksHref(query)) + "\"><span class=\"n\">" + thousands(n) +
           "</span><span class=\"label\">" + html(label) + "</span></a>";
}

Params only(const std::string& name, const std::string& value) {
    Params p;
    p.set(name, value);
    return p;
}

std::string testerPanel(const TesterPanel& t, const Library& lib, const std::string& token) {
    const std::string tokenField = "<input type=\"hidden\" name=\"token\" value=\"" + html(token) + "\">";
    const auto& s = t.snapshot;
    std::string out = "<section class=\"tester\" id=\"tester\" data-imports=\"" + std::to_string(s.imports) + "\">";
    out += "<h2>Tester</h2>";
    const std::string line = testerLine(t, lib);
    out += "<p id=\"tester-line\">" + html(line) + "</p>";
    if (t.watch) out += "<p class=\"note\">Watching: a tester that appears is imported at once.</p>";
    const bool running = s.state == ImportController::ImportState::running;
    out += "<form id=\"import-form\" method=\"post\" action=\"/import\"" +
           std::string(s.tester.attached ? "" : " hidden") + ">" + tokenField;
    out += "<button id=\"import-button\" type=\"submit\"" + std::string(running ? " disabled" : "") + ">Import into " +
           html(folderName(lib, 0)) + "</button></form>";
    if (t.configured.empty() && !t.watch)
        out += "<form id=\"probe-form\" method=\"post\" action=\"/probe\">" + tokenField +
               "<button type=\"submit\">Look for a tester</button></form>";
    const auto& p = s.progress;
    out += "<div id=\"import-progress\"" + std::string(running ? "" : " hidden") + "><progress id=\"import-bar\"";
    if (p.total > 0) out += " max=\"" + std::to_string(p.total) + "\" value=\"" + std::to_string(p.done) + "\"";
    out += "></progress> <span id=\"import-text\">" + html(p.phase) + "</span></div>";
    std::string outcome;
    if (s.imports > 0) outcome = "Last import: " + s.outcome.message;
    out += "<p id=\"import-outcome\" class=\"" +
           std::string(s.state == ImportController::ImportState::failed ? "error" : "") + "\">" + html(outcome) +
           "</p>";
    out += "</section>\n";
    return out;
}

}  // namespace

std::string testerLine(const TesterPanel& t, const Library& lib) {
    const auto& s = t.snapshot;
    if (s.tester.attached)
        return s.tester.name + " at " + s.tester.address + ": holds " + thousands(s.tester.held) + " records, " +
               thousands(s.tester.missing) + " not in " + folderName(lib, 0) + ".";
    if (s.probing)
        return t.configured.empty() ? "Looking for a tester..." : "Looking for the tester at " + t.configured + "...";
    if (!s.probed) return t.configured.empty() && !t.watch ? "No tester looked for yet." : "Looking for a tester...";
    return "No tester found" + (t.configured.empty() ? std::string() : " at " + t.configured) +
           (s.tester.problem.empty() ? "." : ": " + s.tester.problem);
}

std::string homePage(const Library& lib, const TesterPanel& tester, const std::string& token) {
    Counts all;
    size_t conflicts = 0;
    // folder -> project -> site -> counts
    std::vector<std::map<std::string, std::map<std::string, Counts>>> tree(lib.folders().size());
    for (size_t p = 0; p < lib.size(); ++p) {
        const LibraryRecord& r = lib.records()[p];
        all.add(r.status);
        tree[r.folder][r.project][r.site].add(r.status);
        if (const RecordFacts* f = lib.facts(p); f && f->verdictConflict()) ++conflicts;
    }
    std::string body = "<h1>Results</h1>\n<div class=\"totals\">";
    body += total("records", all.records, "all", Params());
    body += total("pass", all.pass, "pass", only("status", "pass"));
    body += total("pass*", all.passStar, "passstar", only("status", "passstar"));
    body += total("fail", all.fail, "fail", only("status", "fail"));
    body += total("verdict conflicts", conflicts, "conflict", only("status", "conflict"));
    body += total("re-tests", lib.size() - lib.groupCount(), "retest", only("sort", "cable"));
    if (all.none) body += total("without verdict", all.none, "none", only("status", "none"));
    body += "</div>\n";
    const size_t known = lib.factsKnown();
    body += "<p id=\"facts\" class=\"note\" data-known=\"" + std::to_string(known) + "\" data-total=\"" +
            std::to_string(lib.size()) + "\"" + (known >= lib.size() ? " hidden" : "") +
            ">Reading records: " + thousands(known) + " of " + thousands(lib.size()) +
            " (verdict conflicts, limits and testers so far)</p>\n";
    if (tester.available) body += testerPanel(tester, lib, token);

    body += "<section class=\"tree\"><h2>Projects and sites</h2>\n";
    for (uint32_t f = 0; f < lib.folders().size(); ++f) {
        const auto& folder = lib.folders()[f];
        Params fq;
        fq.set("folder", std::to_string(f));
        body += "<div class=\"folder\"><h3><a href=\"" + html(linksHref(fq)) + "\">" + html(folder.canonical.string()) +
                "</a></h3>";
        if (!folder.tester.empty()) body += "<p class=\"note\">Imported from " + html(folder.tester) + "</p>";
        for (const auto& problem : folder.problems) body += "<p class=\"error\">" + html(problem) + "</p>";
        if (tree[f].empty()) body += "<p class=\"note\">No results in this folder.</p>";
        body += "<ul>";
        for (const auto& [project, sites] : tree[f]) {
            Counts projectCounts;
            for (const auto& [site, c] : sites) {
                projectCounts.records += c.records;
                projectCounts.pass += c.pass;
                projectCounts.passStar += c.passStar;
                projectCounts.fail += c.fail;
                projectCounts.none += c.none;
            }
            Params pq = fq;
            pq.set("project", project);
            body += "<li><a class=\"project\" href=\"" + html(linksHref(pq)) + "\">" +
                    html(project.empty() ? "(no project)" : project) + "</a> <span class=\"counts\">" +
                    html(projectCounts.text()) + "</span>";
            if (sites.size() > 1 || !sites.begin()->first.empty()) {
                body += "<ul>";
                for (const auto& [site, c] : sites) {
                    if (site.empty()) continue;
                    Params sq = pq;
                    sq.set("site", site);
                    body += "<li><a class=\"site\" href=\"" + html(linksHref(sq)) + "\">" + html(site) +
                            "</a> <span class=\"counts\">" + html(c.text()) + "</span></li>";
                }
                body += "</ul>";
            }
            body += "</li>";
        }
        body += "</ul></div>\n";
    }
    body += "</section>\n";
    return page("Results", body, token);
}

}  // namespace kx::serve
