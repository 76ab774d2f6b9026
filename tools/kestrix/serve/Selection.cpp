#include "Selection.h"

#include <algorithm>
#include <cmath>

#include "Escape.h"
#include "tester/host/HostStatus.h"
#include "tester/report/Export.h"

namespace kx::serve {

using Kestrix::Tester::kHostStatusFail;
using Kestrix::Tester::kHostStatusPass;
using Kestrix::Tester::kHostStatusPassAcceptable;
using Kestrix::Tester::kHostStatusPassStar;

namespace {

const char* const kSortKeys[] = {"date", "cable", "status", "length", "margin", "limit", "project", "type", "id"};
const char* const kStatuses[] = {"pass", "passstar", "fail", "conflict", "none"};

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// "2026-11-03" as the seconds of that day's start, or kNoTime.
int64_t dayStart(const std::string& day) {
    if (day.size() != 10) return kNoTime;
    return parseIsoTime(day + "T00:00:00Z");
}

bool digits(const std::string& s, size_t maxLength) {
    return !s.empty() && s.size() <= maxLength &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int statusRank(int s) {
    switch (s) {
        case kHostStatusFail: return 0;
        case kHostStatusPassStar: return 1;
        case kHostStatusPass: return 2;
        case kHostStatusPassAcceptable: return 3;
        default: return 4;
    }
}

template <class T>
int cmp(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// NaN and unknown sort last whatever the direction.
int cmpNumber(double a, double b, bool desc) {
    const bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return na == nb ? 0 : (na ? 1 : -1) * (desc ? -1 : 1);
    return cmp(a, b);
}

}  // namespace

std::string statusClass(int s) {
    switch (s) {
        case kHostStatusFail: return "fail";
        case kHostStatusPassStar: return "passstar";
        case kHostStatusPass:
        case kHostStatusPassAcceptable: return "pass";
        default: return "none";
    }
}

Selection Selection::fromQuery(const Params& query) {
    Selection s;
    s.q = query.get("q");
    s.status = query.get("status");
    if (std::find(std::begin(kStatuses), std::end(kStatuses), s.status) == std::end(kStatuses)) s.status.clear();
    s.from = dayStart(query.get("from")) == kNoTime ? "" : query.get("from");
    s.to = dayStart(query.get("to")) == kNoTime ? "" : query.get("to");
    s.limit = query.get("limit");
    s.media = query.get("media");
    s.type = query.get("type");
    s.serial = query.get("serial");
    s.project = query.get("project");
    s.site = query.get("site");
    const std::string& folder = query.get("folder");
    if (digits(folder, 4)) s.folder = std::stoi(folder);
    const std::string& sort = query.get("sort");
    if (std::find(std::begin(kSortKeys), std::end(kSortKeys), sort) != std::end(kSortKeys)) s.sort = sort;
    const std::string& dir = query.get("dir");
    s.desc = dir.empty() ? s.sort == "date" : dir != "asc";
    const std::string& page = query.get("page");
    if (digits(page, 6)) s.page = std::max<size_t>(1, std::stoul(page));
    return s;
}

Params Selection::toQuery() const {
    Params p;
    const std::pair<const char*, const std::string*> texts[] = {
        {"q", &q},         {"status", &status}, {"from", &from},     {"to", &to},           {"limit", &limit},
        {"media", &media}, {"type", &type},     {"serial", &serial}, {"project", &project}, {"site", &site}};
    for (const auto& [name, value] : texts)
        if (!value->empty()) p.add(name, *value);
    if (folder >= 0) p.add("folder", std::to_string(folder));
    if (sort != "date") p.add("sort", sort);
    if (desc != (sort == "date")) p.add("dir", desc ? "desc" : "asc");
    if (page > 1) p.add("page", std::to_string(page));
    return p;
}

bool Selection::needsFacts() const {
    return status == "conflict" || !limit.empty() || !media.empty() || !type.empty() || !serial.empty() ||
           sort == "margin" || sort == "limit" || sort == "type";
}

namespace {

// Which records the selection's filters let through; a filter on facts not read yet counts the record as
// unknown and leaves it out.
std::vector<char> matching(const Library& lib, const Selection& s, size_t& unknownFacts) {
    const std::string needle = lower(s.q);
    const int64_t from = s.from.empty() ? kNoTime : dayStart(s.from);
    const int64_t to = s.to.empty() ? kNoTime : dayStart(s.to) + 86400;
    const bool factsFilter =
        s.status == "conflict" || !s.limit.empty() || !s.media.empty() || !s.type.empty() || !s.serial.empty();
    const auto& records = lib.records();
    std::vector<char> match(records.size(), 0);
    for (size_t p = 0; p < records.size(); ++p) {
        const LibraryRecord& r = records[p];
        if (s.folder >= 0 && r.folder != static_cast<uint32_t>(s.folder)) continue;
        if (!s.project.empty() && r.project != s.project) continue;
        if (!s.site.empty() && r.site != s.site) continue;
        if (!needle.empty() && lower(r.cableId).find(needle) == std::string::npos) continue;
        if (from != kNoTime && (r.testTime == kNoTime || r.testTime < from)) continue;
        if (to != kNoTime && (r.testTime == kNoTime || r.testTime >= to)) continue;
        if (!s.status.empty() && s.status != "conflict" && statusClass(r.status) != s.status) continue;
        if (factsFilter) {
            const RecordFacts* f = lib.facts(p);
            if (!f) {
                ++unknownFacts;
                continue;
            }
            if (s.status == "conflict" && !f->verdictConflict()) continue;
            if (!s.limit.empty() && f->row.limit != s.limit) continue;
            if (!s.media.empty() && f->row.media != s.media) continue;
            if (!s.type.empty() && f->row.testType != s.type) continue;
            if (!s.serial.empty() && f->row.testerSerial != s.serial) continue;
        }
        match[p] = 1;
    }
    return match;
}

// Orders the groups by the selection's sort key of their first member, then by id.
void sortGroups(const Library& lib, const Selection& s, std::vector<std::vector<size_t>>& groups) {
    const auto& records = lib.records();
    const auto key = [&](size_t a, size_t b) -> int {
        const LibraryRecord& ra = records[a];
        const LibraryRecord& rb = records[b];
        const RecordFacts* fa = lib.facts(a);
        const RecordFacts* fb = lib.facts(b);
        const std::string none;
        if (s.sort == "cable") return cmp(ra.cableId, rb.cableId);
        if (s.sort == "status") return cmp(statusRank(ra.status), statusRank(rb.status));
        if (s.sort == "length") return cmpNumber(ra.lengthM, rb.lengthM, s.desc);
        if (s.sort == "margin") return cmpNumber(fa ? fa->worstMargin() : NAN, fb ? fb->worstMargin() : NAN, s.desc);
        if (s.sort == "limit") return cmp(fa ? fa->row.limit : none, fb ? fb->row.limit : none);
        if (s.sort == "type") return cmp(fa ? fa->row.testType : none, fb ? fb->row.testType : none);
        if (s.sort == "project") {
            if (int c = cmp(ra.project, rb.project)) return c;
            return cmp(ra.site, rb.site);
        }
        if (s.sort == "id") return cmp(ra.id, rb.id);
        return cmp(ra.testTime, rb.testTime);
    };
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& ga, const auto& gb) {
        const int c = key(ga.front(), gb.front());
        if (c != 0) return s.desc ? c > 0 : c < 0;
        return records[ga.front()].id < records[gb.front()].id;
    });
}

}  // namespace

SelectionResult select(const Library& lib, const Selection& s) {
    SelectionResult out;
    const std::vector<char> match = matching(lib, s, out.unknownFacts);
    std::vector<char> taken(lib.groupCount(), 0);
    for (size_t p = 0; p < match.size(); ++p) {
        if (!match[p]) continue;
        ++out.records;
        // A group is taken once, with only its matching members, latest first.
        if (taken[lib.groupOf(p)]) continue;
        taken[lib.groupOf(p)] = 1;
        const auto& g = lib.group(p);
        std::vector<size_t> members;
        for (size_t m : g)
            if (match[m]) members.push_back(m);
        out.groups.push_back(std::move(members));
    }
    sortGroups(lib, s, out.groups);
    return out;
}

std::string selectionCsv(const Library& lib, const SelectionResult& result) {
    std::vector<Kestrix::Report::SummaryRow> rows;
    for (const auto& g : result.groups) {
        for (size_t p : g) {
            if (const RecordFacts* f = lib.facts(p)) {
                rows.push_back(f->row);
                continue;
            }
            // Not decoded (yet): what the import's index gives.
            const LibraryRecord& r = lib.records()[p];
            Kestrix::Report::SummaryRow row;
            row.project = Kestrix::Report::cleanText(r.project);
            row.site = Kestrix::Report::cleanText(r.site);
            row.cableId = Kestrix::Report::cleanText(r.cableId);
            row.date = timeText(r.testTime);
            row.time = r.testTime == kNoTime ? 0 : r.testTime;
            row.status = r.status;
            row.lengthMeters = r.lengthM;
            row.file = lib.givenPath(p);
            rows.push_back(std::move(row));
        }
    }
    return Kestrix::Report::exportCsv(rows);
}

}  // namespace kx::serve
