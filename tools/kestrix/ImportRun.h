#pragma once
// The import job of `kestrix import` and `kestrix demo`, as the host would drive the importer: list, read the
// catalog, fetch in batches, build each record, write it out, and mark what was written on the tester.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

#include "TesterLink.h"
#include "tester/host/ImportRecInfo.h"
#include "tester/session/ImportOutcome.h"
#include "tester/session/KestrixSum.h"

namespace kx::cli {

// What the tester holds, without any result file fetched.
struct Catalog {
    std::string testerName;
    std::string testerSerial;
    std::vector<Kestrix::Tester::KestrixSum> summaries;
    Kestrix::Tester::ImportRecCatalog catalog;  // one entry per summary, same order
    std::string problem;                        // why nothing was listed, when that was a failure
    // What the tester's databases hold that could not be listed.
    std::vector<Kestrix::Tester::ListingGap> gaps;
    // Results the gaps are known to hide, and whether some hide an unknown number.
    uint64_t unlisted() const;
    bool unlistedUnknown() const;
};

// "N could not be listed", "at least N ..." or "an unknown number ..." when a database could not say how many
// it holds, or "" when everything was listed.
std::string unlistedText(const std::vector<Kestrix::Tester::ListingGap>& gaps);
// One line naming a gap: project/site (folder): reason.
std::string describe(const Kestrix::Tester::ListingGap& g);

Catalog readCatalog(const TesterLink& link);

struct ImportOptions {
    TesterLink link;
    std::string outDir;
    boost::optional<std::string> project;  // only this project (with its sites)
    bool mark = true;
    bool progress = false;   // a progress line on stderr (only when stderr is a terminal)
    bool overlapped = true;  // several transfers in flight on the connection
};

struct ImportedRecord {
    size_t index = 0;    // in the catalog
    std::string result;  // relative to the output folder, when written
    std::string record;
    bool ok = false;
    bool written = false;  // both files are in place
    std::string error;
    std::string verdictConflict;  // of an imported record, "" when its verdicts agree
};

struct ImportReport {
    Catalog catalog;
    std::vector<ImportedRecord> records;            // the selected records, in catalog order
    std::vector<Kestrix::Tester::ListingGap> gaps;  // those of the selected projects
    uint64_t bytes = 0;
    double seconds = 0;
    bool markingAsked = false;                            // marking was wanted and there was something to mark
    std::vector<Kestrix::Tester::FolderMarking> marking;  // per tester folder
    std::string markingProblem;                           // why nothing was marked, when that is the case
    std::vector<std::string> messages;                    // for the user, each once, in order
    size_t failed() const;
    // Every selected record imported, everything listed, and whatever was to be marked marked.
    bool complete() const;
    std::string indexPath;  // DIR/index.json
};

// Throws BadInput when the tester cannot be reached or DIR cannot be used.
ImportReport runImport(const ImportOptions& options);

// The catalog as a table on stdout.
void printCatalog(const Catalog& c);
// One line naming a record: project/site/cable id (tester file).
std::string describe(const Kestrix::Tester::KestrixSum& s);

}  // namespace kx::cli
