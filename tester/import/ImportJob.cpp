#include "tester/import/ImportJob.h"

#include <chrono>
#include <cmath>
#include <map>
#include <set>
#include <thread>

#include <json/value.h>

#include "common/Status.h"
#include "tester/host/Log.h"
#include "tester/host/Printable.h"
#include "tester/import/ImportFolder.h"
#include "tester/import/ImportOutput.h"
#include "tester/import/RecordWriters.h"
#include "tester/session/TarvelCom.h"

namespace Kestrix::Import {

using namespace Kestrix::Tester;

namespace {

using Clock = std::chrono::steady_clock;

// One transfer fetches at most this many files, announced to weigh at most this much together (the group
// cap of the session is four times that): few transfers, and none that a lying database makes fail.
constexpr size_t kWindowFiles = 256;
constexpr int64_t kWindowBytes = int64_t(64) << 20;
constexpr const char* kFailedToRead = "Failed to read record.";
constexpr const char* kLostConnection = "Lost Connection to tester";

std::string isoDate(int64_t seconds) { return HxDataDate::ToIso8601(HxDataDate::From1970(seconds)); }

Json::Value indexEntry(const KestrixSum& s, const ImportRecInfo* info, const RecordOutcome& r,
                       const std::string& testerSerial) {
    Json::Value v = summaryJson(s, info, testerSerial);
    v["imported"] = r.held();
    if (r.held()) {
        v["result"] = r.result;
        v["record"] = r.record;
        v["bytes"] = Json::UInt64(r.bytes);
        v["crc32"] = crc32Text(r.crc32);
        v["verdictConflict"] = r.verdictConflict.empty() ? Json::Value() : Json::Value(r.verdictConflict);
    } else {
        v["error"] = r.detail.empty() ? r.reason : r.reason + " (" + r.detail + ")";
    }
    return v;
}

// The messages queued for the user since the last call, each once.
void takeMessages(std::vector<std::string>& out, std::set<std::string>& seen) {
    for (const auto& m : Err::TakePending()) {
        const std::string text = m.internal ? "internal error: " + m.text : printable(m.subject) + ": " + m.text;
        if (seen.insert(text).second) out.push_back(text);
    }
}

// Fetches the records at `positions` (of the run) window by window, handing each file to the writers.
class Fetcher {
public:
    Fetcher(TarvelCom& com, const ImportOptions& o, ImportOutcome& outcome, RecordWriters& writers,
            const std::vector<size_t>& positions)
        : _com(com), _o(o), _outcome(outcome), _writers(writers), _positions(positions) {}

    void run(ImportProgress& progress) {
        const auto& sums = _outcome.catalog.summaries;
        size_t next = 0;
        while (next < _positions.size()) {
            if (cancelled() || _lost) break;
            // The next window: consecutive records of the run, within the file and byte bounds.
            std::vector<size_t> indices;
            std::vector<size_t> window;
            int64_t announced = 0;
            const size_t most = _o.overlapped ? kWindowFiles : 1;
            while (next < _positions.size() && window.size() < most) {
                const size_t pos = _positions[next];
                const KestrixSum& s = sums[_outcome.records[pos].index];
                const int64_t size = s.fileSize > 0 ? s.fileSize : 0;
                if (!window.empty() && announced + size > kWindowBytes) break;
                announced += size;
                window.push_back(pos);
                indices.push_back(_outcome.records[pos].index);
                ++next;
            }
            size_t k = 0;
            const bool kept = _com.fetchResultFiles(
                indices, [&](size_t index, boost::optional<std::vector<uint8_t>>& bytes, const std::string& error) {
                    const size_t pos = window[k++];
                    RecordOutcome& r = _outcome.records[pos];
                    if (bytes && !bytes->empty()) {
                        progress.bytes += bytes->size();
                        _writers.submit(pos, sums[index], std::move(*bytes));
                    } else {
                        r.status = RecordStatus::Failed;
                        r.reason = error == kLostConnection ? kLostConnection : kFailedToRead;
                        r.detail = error == kLostConnection ? "" : (error.empty() ? "nothing arrived" : error);
                        ++_failedHere;
                    }
                    report(progress);
                    return !cancelled();
                });
            if (!kept) _lost = true;
        }
        // What the loop did not reach.
        for (; next < _positions.size(); ++next) {
            RecordOutcome& r = _outcome.records[_positions[next]];
            if (_lost) {
                r.status = RecordStatus::Failed;
                r.reason = kLostConnection;
                ++_failedHere;
            }
        }
    }

    bool lost() const { return _lost; }
    size_t failedHere() const { return _failedHere; }

    void report(ImportProgress& progress) const {
        progress.settled = progress.held + _writers.written() + _writers.failed() + _failedHere;
        progress.failed = _writers.failed() + _failedHere;
        if (_o.progress) _o.progress(progress);
    }

private:
    bool cancelled() const { return _o.cancel && _o.cancel->load(); }

    TarvelCom& _com;
    const ImportOptions& _o;
    ImportOutcome& _outcome;
    RecordWriters& _writers;
    const std::vector<size_t>& _positions;
    bool _lost = false;
    size_t _failedHere = 0;
};

unsigned writerThreads(unsigned wanted) {
    if (wanted > 0) return wanted;
    return std::max(2u, std::thread::hardware_concurrency());
}

}  // namespace

const char* toString(RecordStatus s) {
    switch (s) {
        case RecordStatus::New: return "new";
        case RecordStatus::AlreadyThere: return "already there";
        case RecordStatus::Failed: return "failed";
        case RecordStatus::NotFetched: return "not fetched";
    }
    return "?";
}

bool ImportOutcome::complete() const {
    if (!failure.empty() || cancelled || failed > 0 || notFetched > 0 || !gaps.empty()) return false;
    if (!markingAsked) return true;
    if (!markingProblem.empty()) return false;
    for (const auto& p : projects)
        if (p.markingAsked && (!p.marking.marked || p.marking.outOfRange > 0)) return false;
    return true;
}

size_t countToFetch(const Catalog& catalog, const std::filesystem::path& outDir) {
    namespace fs = std::filesystem;
    const auto folder = ImportFolder::open(outDir);
    if (!folder) return catalog.summaries.size();
    // A file the index names, where it says, at the size it says; a path leading out of the folder is none.
    const auto present = [&](const std::string& relative, int64_t bytes) {
        const fs::path p = fs::path(relative).lexically_normal();
        if (relative.empty() || p.is_absolute() || *p.begin() == "..") return false;
        std::error_code ec;
        const auto status = fs::symlink_status(outDir / p, ec);
        return fs::is_regular_file(status) && (bytes < 0 || fs::file_size(outDir / p, ec) == uint64_t(bytes)) && !ec;
    };
    size_t count = 0;
    for (const KestrixSum& s : catalog.summaries) {
        const FolderEntry* e = folder->entryOf({catalog.testerSerial, s.fileName, s.key}, catalog.testerName);
        const bool held =
            e && e->heldAs(s.fileSize, isoDate(s.timet)) && present(e->result, e->bytes) && present(e->record, -1);
        count += held ? 0 : 1;
    }
    return count;
}

namespace {

// The records of the run (all, or one project's) and the catalog gaps that may hide some of them; tells the
// folder where each record goes.
void planRun(const ImportOptions& o, ImportOutcome& out, ImportOutput& folder) {
    const auto& sums = out.catalog.summaries;
    for (size_t i = 0; i < sums.size(); ++i) {
        if (o.project && sums[i].project != *o.project) continue;
        RecordOutcome r;
        r.index = i;
        out.records.push_back(r);
    }
    // A gap of the master database may hide any project.
    for (const auto& g : out.catalog.gaps)
        if (!o.project || g.project.empty() || g.project == *o.project) out.gaps.push_back(g);
    std::vector<PlannedRecord> planned;
    planned.reserve(out.records.size());
    for (const auto& r : out.records) {
        const KestrixSum& s = sums[r.index];
        planned.push_back({s.project, s.site, s.id, {out.catalog.testerSerial, s.fileName, s.key}});
    }
    folder.plan(planned);
}

// What the folder holds intact stays as it is (unless `all`); returns the positions of the rest, to fetch.
std::vector<size_t> keepHeld(bool all, ImportOutcome& out, ImportOutput& folder) {
    std::vector<size_t> toFetch;
    for (size_t pos = 0; pos < out.records.size(); ++pos) {
        RecordOutcome& r = out.records[pos];
        const KestrixSum& s = out.catalog.summaries[r.index];
        const FolderEntry* e = all ? nullptr : folder.held(pos, s.fileSize, isoDate(s.timet));
        if (!e) {
            toFetch.push_back(pos);
            continue;
        }
        r.status = RecordStatus::AlreadyThere;
        r.result = e->result;
        r.record = e->record;
        r.bytes = static_cast<uint64_t>(e->bytes);
        r.crc32 = *e->crc32;
        const Json::Value& conflict = e->json["verdictConflict"];
        if (conflict.isString()) r.verdictConflict = conflict.asString();
    }
    return toFetch;
}

// Fetches and writes the records at `toFetch`; true when the connection was lost on the way.
bool fetchAndStore(TarvelCom& com, const ImportOptions& o, ImportOutcome& out, ImportOutput& folder,
                   const std::vector<size_t>& toFetch, ImportProgress& progress) {
    RecordWriters writers(folder, out.records, writerThreads(o.writers));
    Fetcher fetcher(com, o, out, writers, toFetch);
    fetcher.run(progress);
    writers.finish();
    out.bytes = writers.bytes();
    progress.bytes = writers.bytes();
    progress.stage = ImportProgress::Stage::Storing;
    fetcher.report(progress);
    return fetcher.lost();
}

void countOutcomes(ImportOutcome& out) {
    for (const auto& r : out.records) {
        out.newRecords += r.status == RecordStatus::New ? 1 : 0;
        out.alreadyThere += r.status == RecordStatus::AlreadyThere ? 1 : 0;
        out.failed += r.status == RecordStatus::Failed ? 1 : 0;
        out.notFetched += r.status == RecordStatus::NotFetched ? 1 : 0;
    }
}

// Writes the index of every record of the run and syncs the folder; throws when either fails.
void writeIndex(ImportOutput& folder, const ImportOutcome& out, size_t held) {
    const std::string& serial = out.catalog.testerSerial;
    ImportIndex& index = folder.index();
    index.begin(out.catalog.testerName, serial);
    for (const RecordOutcome& r : out.records) {
        const KestrixSum& s = out.catalog.summaries[r.index];
        const ImportRecInfo* info =
            r.index < out.catalog.catalog.Count() ? &out.catalog.catalog.Records()[r.index] : nullptr;
        index.add({serial, s.fileName, s.key}, r.held(), indexEntry(s, info, r, serial));
    }
    index.end(held, out.records.size() - held, notListedJson(out.gaps), knownUnlisted(out.gaps));
    folder.sync();
}

// One project outcome per tester folder of the run, in catalog order; returns where each folder's is.
std::map<std::string, size_t> gatherProjects(ImportOutcome& out) {
    std::map<std::string, size_t> projectOf;
    for (const RecordOutcome& r : out.records) {
        const KestrixSum& s = out.catalog.summaries[r.index];
        auto it = projectOf.find(s.folder);
        if (it == projectOf.end()) {
            it = projectOf.emplace(s.folder, out.projects.size()).first;
            ProjectOutcome p;
            p.folder = s.folder;
            p.project = s.project;
            p.site = s.site;
            out.projects.push_back(p);
        }
        ProjectOutcome& p = out.projects[it->second];
        ++p.listed;
        p.held += r.held() ? 1 : 0;
    }
    return projectOf;
}

// Marks every record the folder holds as uploaded on the tester; the answers go to the projects.
void markHeld(TarvelCom& com, ImportOutcome& out, const std::map<std::string, size_t>& projectOf) {
    const auto& sums = out.catalog.summaries;
    com.uploadKeys().clear();
    for (const RecordOutcome& r : out.records)
        if (r.held()) com.AddUploadKey(sums[r.index].folder, sums[r.index].key);
    for (auto& m : com.markImported()) {
        const auto it = projectOf.find(m.folder);
        if (it == projectOf.end()) continue;
        out.projects[it->second].markingAsked = true;
        out.projects[it->second].marking = std::move(m);
    }
}

// For the user: what happened to single records, then what the session reported.
void gatherMessages(ImportOutcome& out) {
    std::set<std::string> seen;
    for (const RecordOutcome& r : out.records) {
        const KestrixSum& s = out.catalog.summaries[r.index];
        std::string text;
        if (!r.warning.empty()) text = printable(s.fileName) + ": " + r.warning;
        if (r.status == RecordStatus::Failed && r.reason == kFailedToRead)
            text = printable(s.fileName) + ": " + r.reason;
        if (!text.empty() && seen.insert(text).second) out.messages.push_back(text);
    }
    takeMessages(out.messages, seen);
}

}  // namespace

ImportOutcome runImport(const ImportOptions& o) {
    const auto start = Clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    ImportOutcome out;
    ImportProgress progress;
    const auto tell = [&](ImportProgress::Stage stage) {
        progress.stage = stage;
        if (o.progress) o.progress(progress);
    };
    tell(ImportProgress::Stage::Listing);
    Err::TakePending();
    std::string why;
    auto com = connectTester(o.tester, why);
    if (!com) {
        out.failure = why;
        return out;
    }
    com->setOverlappedTransfers(o.overlapped);
    out.catalog = listCatalog(*com);
    Err::TakePending();  // the listing's troubles are its gaps

    std::unique_ptr<ImportOutput> folder;
    try {
        folder = std::make_unique<ImportOutput>(o.outDir, out.catalog.testerName, out.catalog.testerSerial);
    } catch (const std::exception& e) {
        out.failure = e.what();
        com->CloseImport();
        return out;
    }
    out.indexPath = folder->index().path().string();

    planRun(o, out, *folder);
    const std::vector<size_t> toFetch = keepHeld(o.all, out, *folder);
    progress.total = out.records.size();
    progress.held = out.records.size() - toFetch.size();
    progress.settled = progress.held;
    tell(ImportProgress::Stage::Fetching);
    const bool lost = fetchAndStore(*com, o, out, *folder, toFetch, progress);
    out.cancelled = o.cancel && o.cancel->load();
    countOutcomes(out);

    // The index first, then everything on the disk, and only then the marks on the tester: a record marked
    // uploaded may be the only copy left.
    const size_t held = out.newRecords + out.alreadyThere;
    try {
        writeIndex(*folder, out, held);
    } catch (const std::exception& e) {
        com->CloseImport();
        out.failure = std::string(e.what()) + "; nothing was marked on the tester";
        out.seconds = elapsed();
        return out;
    }

    const std::map<std::string, size_t> projectOf = gatherProjects(out);
    // Marking covers what the folder held before this run as well: a tester that lost its marks is marked
    // again.
    if (o.mark && held > 0) {
        out.markingAsked = true;
        if (out.cancelled) {
            out.markingProblem = "the import was cancelled";
        } else if (lost && !com->IsConnected()) {
            out.markingProblem = "the connection to the tester was lost";
        } else {
            tell(ImportProgress::Stage::Marking);
            markHeld(*com, out, projectOf);
        }
    }

    gatherMessages(out);
    com->CloseImport();
    out.seconds = elapsed();
    tell(ImportProgress::Stage::Done);
    return out;
}

}  // namespace Kestrix::Import
