#pragma once
// The import job: list what a tester holds, fetch what the output folder does not hold yet, keep each result
// with its host record, merge the folder's index, and only once all of it is on the disk mark the results
// uploaded on the tester. A caller fills ImportOptions and calls runImport; everything else happens here.
//
//   Kestrix::Import::ImportOptions o;
//   o.tester.address = "127.0.0.1:2222";
//   o.outDir = "imported";
//   o.progress = [](const Kestrix::Import::ImportProgress& p) { ... p.settled of p.total ... };
//   Kestrix::Import::ImportOutcome r = Kestrix::Import::runImport(o);
//   r.complete();   // every record listed, in the folder and (when asked) marked
//
// The fetching, the checking of what arrived and the writing run at once: the connection hands each file to
// a few writer threads as soon as it has arrived, and waits for them only when they hold as much as they may.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/import/ImportCatalog.h"
#include "tester/session/ImportOutcome.h"

namespace Kestrix::Import {

// Where the job is, told to the progress callback on the caller's thread.
struct ImportProgress {
    enum class Stage { Listing, Fetching, Storing, Marking, Done };
    Stage stage = Stage::Listing;
    size_t total = 0;    // records selected
    size_t held = 0;     // already in the folder, not fetched
    size_t settled = 0;  // records whose outcome is known (held ones included)
    size_t failed = 0;
    uint64_t bytes = 0;  // of the result files fetched so far
};

using ImportProgressFn = std::function<void(const ImportProgress&)>;

struct ImportOptions {
    TesterAddress tester;
    std::string outDir;                    // made when missing
    boost::optional<std::string> project;  // only this project (with its sites)
    bool mark = true;                      // mark what the folder holds as uploaded on the tester
    bool all = false;        // fetch and write every record again, also those the folder already holds intact
    bool overlapped = true;  // several files per transfer (false: one transfer per file, for comparison)
    ImportProgressFn progress;
    // Set from any thread to stop: no more files are fetched, what arrived is kept and indexed, nothing is
    // marked.
    const std::atomic<bool>* cancel = nullptr;
    // Threads that check and write the records; 0: as many as the machine has cores, at least two.
    unsigned writers = 0;
};

enum class RecordStatus {
    New,           // fetched and written by this run
    AlreadyThere,  // the folder held it intact: not fetched, not written
    Failed,
    NotFetched,  // the job was cancelled or stopped before it
};
const char* toString(RecordStatus s);

struct RecordOutcome {
    size_t index = 0;  // in the catalog
    RecordStatus status = RecordStatus::NotFetched;
    std::string result;           // relative to the output folder, when the folder holds it
    std::string record;           // its host record
    std::string reason;           // why not, when it failed
    std::string detail;           // what went wrong below that, when known
    std::string warning;          // a note about a record kept (its size differs from the tester's database)
    std::string verdictConflict;  // of a record written by this run, "" when its verdicts agree
    uint64_t bytes = 0;           // of the result file
    uint32_t crc32 = 0;           // of the result file
    bool held() const { return status == RecordStatus::New || status == RecordStatus::AlreadyThere; }
};

// One tester folder (a project, or a site of one) of the selected records.
struct ProjectOutcome {
    std::string folder;
    std::string project;
    std::string site;
    size_t listed = 0;  // records of the run in this folder
    size_t held = 0;    // of them, in the output folder now
    bool markingAsked = false;
    Tester::FolderMarking marking;  // when asked
};

struct ImportOutcome {
    Catalog catalog;
    std::vector<RecordOutcome> records;    // the selected records, in catalog order
    std::vector<Tester::ListingGap> gaps;  // those of the selected projects
    std::vector<ProjectOutcome> projects;  // tester folders of the selected records, in catalog order
    size_t newRecords = 0;
    size_t alreadyThere = 0;
    size_t failed = 0;
    size_t notFetched = 0;
    uint64_t bytes = 0;  // of the result files fetched
    double seconds = 0;
    bool cancelled = false;
    // Why the job stopped short ("" when it ran to its end): the tester could not be reached, the folder
    // could not be used, or the index could not be written (then nothing was marked).
    std::string failure;
    bool markingAsked = false;          // marking was wanted and there was something to mark
    std::string markingProblem;         // why nothing was marked, when that is the case
    std::vector<std::string> messages;  // for the user, each once, in order
    std::string indexPath;              // DIR/index.json

    // Records the gaps are known to hide, and whether some hide an unknown number.
    uint64_t unlisted() const { return knownUnlisted(gaps); }
    // Every selected record in the folder, everything listed, and whatever was to be marked marked.
    bool complete() const;
};

// Never throws for what a tester or a folder does; see ImportOutcome::failure.
ImportOutcome runImport(const ImportOptions& options);

// How many records of `catalog` an incremental import into `outDir` would fetch: all but those the folder's
// index holds from the same tester serial, file and key with the same size and date, whose files are still
// there at the size written. Reads no file but the index: a file damaged since, or renamed with its cable id
// on the tester, is fetched again by the import without being counted here.
size_t countToFetch(const Catalog& catalog, const std::filesystem::path& outDir);

}  // namespace Kestrix::Import
