// What every page shares: the frame, the error page, badges and numbers.
#include "Escape.h"
#include "Pages.h"
#include "PagesInternal.h"
#include "tester/report/Chart.h"

namespace kx::serve {

std::string page(const std::string& title, const std::string& body, const std::string& token) {
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>" +
        html(title) +
        " - Kestrix</title>"
        "<link rel=\"icon\" href=\"/favicon.svg\" type=\"image/svg+xml\">"
        "<link rel=\"stylesheet\" href=\"/static/kestrix.css\">"
        "<script src=\"/static/kestrix.js\" defer></script>";
    if (!token.empty()) out += "<meta name=\"kx-token\" content=\"" + html(token) + "\">";
    out +=
        "</head><body><header><a class=\"brand\" href=\"/\">Kestrix</a><nav><a href=\"/\">Home</a>"
        "<a href=\"/links\">Links</a></nav><form class=\"search\" method=\"get\" action=\"/links\">"
        "<input type=\"search\" name=\"q\" placeholder=\"Cable ID\" aria-label=\"Search by cable ID\">"
        "<button type=\"submit\">Search</button></form></header>\n<main>\n";
    out += body;
    out += "</main></body></html>\n";
    return out;
}

std::string errorPage(int status, const std::string& message) {
    const char* what = status == 404   ? "Not found"
                       : status == 403 ? "Refused"
                       : status == 400 ? "Bad request"
                                       : "Error";
    return page(
        what, "<h1>" + html(what) + "</h1><p class=\"error\">" + html(message) + "</p><p><a href=\"/\">Home</a></p>\n");
}

std::string linksHref(const Params& query) {
    const std::string q = query.encode();
    return q.empty() ? "/links" : "/links?" + q;
}

std::string thousands(size_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string statusBadge(int status) {
    return "<span class=\"badge " + statusClass(status) + "\">" + html(Kestrix::Report::statusWord(status)) + "</span>";
}

std::string conflictBadge() { return "<span class=\"badge conflict\" title=\"verdict conflict\">conflict</span>"; }

std::string lengthCell(double m) {
    if (!(m > 0) || m > 1e9) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f m", m);
    return buf;
}

std::string folderName(const Library& lib, uint32_t folder) {
    return folder < lib.folders().size() ? lib.folders()[folder].canonical.filename().string() : "";
}

}  // namespace kx::serve
