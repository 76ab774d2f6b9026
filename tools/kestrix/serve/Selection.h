#pragma once
// Which records the links table shows: filters, a cable-id search, the sort order and the page, all taken from
// the query string, so every view is a link. Re-tests of one cable id stay together, latest first.
#include <cstddef>
#include <string>
#include <vector>

#include "Http.h"
#include "Library.h"

namespace kx::serve {

struct Selection {
    std::string q;         // part of a cable id, any case
    std::string status;    // "pass", "passstar", "fail", "conflict", "none" or "" for any
    std::string from, to;  // YYYY-MM-DD, inclusive
    std::string limit, media, type, serial;
    std::string project, site;
    int folder = -1;  // -1: every folder
    std::string sort = "date";
    bool desc = true;
    size_t page = 1;

    static constexpr size_t kGroupsPerPage = 100;

    // Unknown values are dropped: an unknown sort key sorts by date, a bad page number is page 1.
    static Selection fromQuery(const Params& query);
    // The query that gives this selection again.
    Params toQuery() const;
    // True when a filter needs the facts of a decoded result.
    bool needsFacts() const;
};

struct SelectionResult {
    std::vector<std::vector<size_t>> groups;  // positions in the library, each group latest first
    size_t records = 0;
    size_t unknownFacts = 0;  // records left out because their facts are not known yet
    size_t pages() const {
        return groups.empty() ? 1 : (groups.size() + Selection::kGroupsPerPage - 1) / Selection::kGroupsPerPage;
    }
};

SelectionResult select(const Library& library, const Selection& selection);

// Host status as the filter names it.
std::string statusClass(int hostStatus);

// The selection as `kestrix export` writes it (its columns, RFC 4180 CSV), one row per record in table order;
// a record not decoded yet has only what the import's index gives.
std::string selectionCsv(const Library& library, const SelectionResult& result);

}  // namespace kx::serve
