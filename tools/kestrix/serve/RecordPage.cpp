// A record's page: the report's page of the record with its plots, the other tests of its cable id, downloads.
#include "Escape.h"
#include "Pages.h"
#include "PagesInternal.h"

namespace kx::serve {

std::string recordPage(const Library& lib, size_t pos, const RecordContent& content,
                       const std::vector<SorTrace>& traces) {
    const LibraryRecord& r = lib.records()[pos];
    const std::string base = "/record/" + std::to_string(r.id);
    const std::string title = r.cableId.empty() ? "(no cable id)" : r.cableId;

    std::string body = "<nav class=\"crumbs\"><a href=\"/\">Home</a>";
    Params q;
    q.set("folder", std::to_string(r.folder));
    body += " &rsaquo; <a href=\"" + html(linksHref(q)) + "\">" + html(folderName(lib, r.folder)) + "</a>";
    q.set("project", r.project);
    body += " &rsaquo; <a href=\"" + html(linksHref(q)) + "\">" + html(r.project.empty() ? "(no project)" : r.project) +
            "</a>";
    if (!r.site.empty()) {
        q.set("site", r.site);
        body += " &rsaquo; <a href=\"" + html(linksHref(q)) + "\">" + html(r.site) + "</a>";
    }
    body += "</nav>\n<h1 class=\"record\"><span class=\"cable\">" + html(title) + "</span> " + statusBadge(r.status) +
            (content.mark.empty() ? "" : " <span class=\"badge mark-badge\">" + html(content.mark) + "</span>") +
            "</h1>\n";
    body += "<p class=\"when\">" + html(content.subtitle.empty() ? "" : content.subtitle + " \u00b7 ") +
            html(timeText(r.testTime)) + " UTC &middot; record " + std::to_string(r.id) + "</p>\n";

    body += "<section class=\"downloads\">Download: ";
    // A space after each link lets the line wrap between them.
    body += "<a href=\"" + base + "/result\" download>Result file</a> ";
    body += "<a href=\"" + base + "/record.json\" download>Host record (JSON)</a> ";
    for (const SorTrace& t : traces) {
        body += "<a href=\"" + base + "/sor/" + std::to_string(t.end) + "/" + std::to_string(t.wavelength) +
                "\" download>SR-4731 " + std::to_string(t.wavelength) + " nm end " + std::to_string(t.end) + "</a> ";
    }
    body += "<a href=\"" + base + "/report.pdf\">PDF report</a></section>\n";

    const auto& group = lib.group(pos);
    if (group.size() > 1) {
        body += "<section class=\"retests\"><h2>Tests of this cable id, latest first</h2><ol>";
        for (size_t m : group) {
            const LibraryRecord& o = lib.records()[m];
            const std::string text = timeText(o.testTime) + " (record " + std::to_string(o.id) + ")";
            body += "<li>" + statusBadge(o.status) + " ";
            body += m == pos ? "<strong>" + html(text) + "</strong> (this page)"
                             : "<a href=\"/record/" + std::to_string(o.id) + "\">" + html(text) + "</a>";
            body += "</li>";
        }
        body += "</ol></section>\n";
    }

    body += "<section class=\"certificate\">" + content.html + "</section>\n";
    return page(title, body);
}

}  // namespace kx::serve
