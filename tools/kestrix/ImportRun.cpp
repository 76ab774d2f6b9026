#include "ImportRun.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include <json/writer.h>

#include "Command.h"
#include "ImportOutput.h"
#include "TesterLink.h"
#include "common/Status.h"
#include "tester/host/Log.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"

namespace kx::cli {

using namespace Kestrix::Tester;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBatchSize = 10;

std::unique_ptr<TarvelCom> connect(const TesterLink& link, const QuietLog& log) {
    auto com = makeTarvelCom(link.password);
    com->SetIp(link.ip);
    auto found = com->FindAttachedTesters();
    if (!found || !com->Connect(found->front()))
        throw BadInput("cannot connect to the tester at " + link.ip + log.reason());
    if (link.timeoutMs > 0) com->SetTimeout(link.timeoutMs);
    return com;
}

Catalog listAll(TarvelCom& com, const QuietLog& log) {
    Catalog c;
    c.testerName = com.currentTester() ? com.currentTester()->DisplayName : "";
    c.testerSerial = com.GetSerialNumber();
    com.GetRecordCount();
    c.summaries = com.summaries();
    c.problem = com.listingProblem();
    c.gaps = com.listingGaps();
    if (!c.problem.empty() && !log.last().empty() && c.problem.find(log.last()) == std::string::npos)
        c.problem += " (" + log.last() + ")";
    if (!c.summaries.empty()) {
        TaskManager tm;
        com.ReadImportRecInfo(&c.catalog, false, &tm);
    }
    Err::TakePending();
    return c;
}

std::string mb(uint64_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return buf;
}

// Records done of total, bytes and rate, redrawn in place; only on a terminal.
class ImportProgress {
public:
    ImportProgress(bool wanted, size_t total) : _on(wanted && isatty(2)), _total(total), _start(Clock::now()) {}
    void update(size_t done, uint64_t bytes, bool last = false) {
        if (!_on) return;
        const auto now = Clock::now();
        if (!last && now - _drawn < std::chrono::milliseconds(100)) return;
        _drawn = now;
        const double s = std::chrono::duration<double>(now - _start).count();
        const int width = 24;
        const int filled = _total ? static_cast<int>(done * width / _total) : width;
        std::fprintf(stderr, "\r[%s%s] %zu/%zu records  %s  %.0f records/s ", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(width - filled), ' ').c_str(), done, _total, mb(bytes).c_str(),
                     s > 0 ? static_cast<double>(done) / s : 0.0);
        if (last) std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

private:
    bool _on;
    size_t _total;
    Clock::time_point _start;
    Clock::time_point _drawn{};
};

Json::Value indexEntry(const KestrixSum& s, const ImportRecInfo* info, const ImportedRecord& r,
                       const std::string& testerSerial) {
    Json::Value v(Json::objectValue);
    v["testerSerial"] = testerSerial;
    v["project"] = s.project;
    v["site"] = s.site;
    v["cableId"] = s.id;
    v["testDate"] = HxDataDate::ToIso8601(HxDataDate::From1970(s.timet));
    v["status"] = Kestrix::toString(static_cast<Kestrix::Status>(s.status));
    v["hostStatus"] = info ? info->TestStatus : 0;
    v["lengthM"] = std::isfinite(s.lengthM) ? Json::Value(s.lengthM) : Json::Value(Json::nullValue);
    v["size"] = Json::Int64(s.fileSize);
    v["key"] = Json::Int64(s.key);
    v["testerFile"] = s.fileName;
    v["imported"] = r.ok;
    if (r.ok) {
        v["result"] = r.result;
        v["record"] = r.record;
        v["verdictConflict"] = r.verdictConflict.empty() ? Json::Value() : Json::Value(r.verdictConflict);
    } else {
        v["error"] = r.error;
    }
    return v;
}

// Decodes each record for its host record and writes both files, on a few threads; the outcome goes into
// the record's own slot of `records`.
class RecordWriters {
public:
    static constexpr size_t kThreads = 4;
    static constexpr size_t kQueued = 64;

    RecordWriters(ImportOutput& out, std::vector<ImportedRecord>& records) : _out(out), _records(records) {
        for (size_t i = 0; i < kThreads; ++i) _threads.emplace_back([this] { work(); });
    }
    ~RecordWriters() { finish(); }

    void submit(size_t pos, std::unique_ptr<TestRecordTarvel> record) {
        std::unique_lock<std::mutex> lock(_mutex);
        _room.wait(lock, [this] { return _queue.size() < kQueued; });
        _queue.emplace_back(pos, std::move(record));
        _ready.notify_one();
    }
    void finish() {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _closing = true;
        }
        _ready.notify_all();
        for (auto& t : _threads)
            if (t.joinable()) t.join();
    }
    uint64_t bytes() const { return _bytes.load(); }

private:
    void work() {
        for (;;) {
            std::pair<size_t, std::unique_ptr<TestRecordTarvel>> task;
            {
                std::unique_lock<std::mutex> lock(_mutex);
                _ready.wait(lock, [this] { return _closing || !_queue.empty(); });
                if (_queue.empty()) return;
                task = std::move(_queue.front());
                _queue.pop_front();
                _room.notify_one();
            }
            ImportedRecord& r = _records[task.first];
            try {
                const Json::Value host = hostRecordJson(*task.second);
                const std::string json = Json::StyledWriter().write(host);
                _out.write(task.first, task.second->SerializedResult(), json);
                r.ok = true;
                r.written = true;
                r.result = _out.resultPath(task.first);
                r.record = _out.recordPath(task.first);
                const Json::Value& conflict = host["Verdict"]["VerdictConflict"];
                if (conflict.isString()) r.verdictConflict = conflict.asString();
                _bytes += task.second->SerializedResult().size();
            } catch (const std::exception& e) {
                r.error = e.what();
            }
        }
    }

    ImportOutput& _out;
    std::vector<ImportedRecord>& _records;
    std::mutex _mutex;
    std::condition_variable _ready;
    std::condition_variable _room;
    std::deque<std::pair<size_t, std::unique_ptr<TestRecordTarvel>>> _queue;
    bool _closing = false;
    std::atomic<uint64_t> _bytes{0};
    std::vector<std::thread> _threads;
};

Json::Value notListedJson(const std::vector<ListingGap>& gaps) {
    Json::Value list(Json::arrayValue);
    for (const auto& g : gaps) {
        Json::Value v(Json::objectValue);
        v["project"] = g.project;
        v["site"] = g.site;
        v["testerFolder"] = g.folder;
        v["reason"] = g.reason;
        v["records"] = g.records >= 0 ? Json::Value(Json::Int64(g.records)) : Json::Value(Json::nullValue);
        list.append(v);
    }
    return list;
}

uint64_t knownUnlisted(const std::vector<ListingGap>& gaps) {
    uint64_t n = 0;
    for (const auto& g : gaps) n += g.records > 0 ? static_cast<uint64_t>(g.records) : 0;
    return n;
}

void addMessages(std::vector<std::string>& out, std::set<std::string>& seen) {
    for (const auto& m : Err::TakePending()) {
        const std::string text = m.internal ? "internal error: " + m.text : printable(m.subject) + ": " + m.text;
        if (seen.insert(text).second) out.push_back(text);
    }
}

}  // namespace

std::string describe(const KestrixSum& s) {
    std::string where = s.project + (s.site.empty() ? "" : "/" + s.site) + "/" + s.id;
    return printable(where) + " (" + printable(s.fileName) + ")";
}

std::string describe(const ListingGap& g) {
    if (g.folder.empty() && g.project.empty()) return printable(g.reason);
    std::string where = g.project + (g.site.empty() ? "" : "/" + g.site);
    return "project " + printable(where) + " (folder " + printable(g.folder) + "): " + printable(g.reason);
}

std::string unlistedText(const std::vector<ListingGap>& gaps) {
    if (gaps.empty()) return "";
    bool unknown = false;
    for (const auto& g : gaps) unknown |= g.records < 0;
    const uint64_t known = knownUnlisted(gaps);
    if (unknown && known == 0) return "an unknown number could not be listed";
    return (unknown ? "at least " : "") + std::to_string(known) + " could not be listed";
}

uint64_t Catalog::unlisted() const { return knownUnlisted(gaps); }

bool Catalog::unlistedUnknown() const {
    for (const auto& g : gaps)
        if (g.records < 0) return true;
    return false;
}

size_t ImportReport::failed() const {
    size_t n = 0;
    for (const auto& r : records) n += r.ok ? 0 : 1;
    return n;
}

bool ImportReport::complete() const {
    if (failed() > 0 || !gaps.empty()) return false;
    if (!markingAsked) return true;
    if (!markingProblem.empty()) return false;
    for (const auto& m : marking)
        if (!m.marked || m.outOfRange > 0) return false;
    return true;
}

Catalog readCatalog(const TesterLink& link) {
    QuietLog log;
    auto com = connect(link, log);
    Catalog c = listAll(*com, log);
    com->CloseImport();
    return c;
}

void printCatalog(const Catalog& c) {
    std::printf("%-20s %-16s %-20s %-20s %-16s %10s %9s\n", "PROJECT", "SITE", "CABLE ID", "DATE", "STATUS", "LENGTH",
                "SIZE");
    for (const auto& s : c.summaries) {
        char length[32] = "-";
        if (std::isfinite(s.lengthM)) std::snprintf(length, sizeof length, "%.1f m", s.lengthM);
        const char* status = Kestrix::toString(static_cast<Kestrix::Status>(s.status));
        std::printf("%-20s %-16s %-20s %-20s %-16s %10s %9lld\n", printable(s.project).c_str(),
                    printable(s.site).c_str(), printable(s.id).c_str(),
                    HxDataDate::ToIso8601(HxDataDate::From1970(s.timet)).c_str(),
                    *status ? status : std::to_string(s.status).c_str(), length, static_cast<long long>(s.fileSize));
    }
}

ImportReport runImport(const ImportOptions& o) {
    const auto start = Clock::now();
    QuietLog log;
    Err::TakePending();
    auto com = connect(o.link, log);
    com->setOverlappedTransfers(o.overlapped);
    ImportReport report;
    report.catalog = listAll(*com, log);
    const auto& sums = report.catalog.summaries;
    const std::string& serial = report.catalog.testerSerial;
    std::unique_ptr<ImportOutput> out;
    try {
        out = std::make_unique<ImportOutput>(o.outDir, report.catalog.testerName, serial);
    } catch (const std::exception& e) {
        throw BadInput(e.what());
    }
    std::set<std::string> seen;

    std::vector<size_t> selected;
    for (size_t i = 0; i < sums.size(); ++i)
        if (!o.project || sums[i].project == *o.project) selected.push_back(i);
    // A gap of the master database may hide any project.
    for (const auto& g : report.catalog.gaps)
        if (!o.project || g.project.empty() || g.project == *o.project) report.gaps.push_back(g);
    {
        std::vector<PlannedRecord> planned;
        planned.reserve(selected.size());
        for (size_t i : selected)
            planned.push_back({sums[i].project, sums[i].site, sums[i].id, {serial, sums[i].fileName, sums[i].key}});
        out->plan(planned);
    }

    ImportProgress progress(o.progress, selected.size());
    TaskManager tm;
    bool lost = false;
    size_t pos = 0;
    report.records.resize(selected.size());
    std::vector<char> submitted(selected.size(), 0);
    // Records are decoded and written by a few threads while the next batches are fetched: creating files
    // costs more than fetching them. The session itself stays on this thread.
    RecordWriters writers(*out, report.records);
    while (pos < selected.size()) {
        // A batch is a run of consecutive catalog indices, at most ten.
        size_t n = 1;
        while (n < kBatchSize && pos + n < selected.size() && selected[pos + n] == selected[pos] + n) ++n;
        ImportBatchDefn batch{static_cast<int>(selected[pos]), static_cast<int>(selected[pos] + n)};
        const int batchStatus = lost ? ImportStatus::kFailed : com->ReadRecordBatch(&batch, &tm);
        addMessages(report.messages, seen);
        if (batchStatus != ImportStatus::kDone && !com->KestrixCom::IsConnected()) lost = true;
        for (size_t k = 0; k < n; ++k, ++pos) {
            const size_t index = selected[pos];
            ImportedRecord& r = report.records[pos];
            r.index = index;
            std::unique_ptr<TestRecordTarvel> record;
            const int64_t key = static_cast<int64_t>(index);
            // Also after a failed batch: the files that arrived before it failed are kept.
            const int st = com->ReadTestRecord(record, &key, 1, &tm);
            auto pending = Err::TakePending();
            if (st == ImportStatus::kDone && record) {
                const auto size = static_cast<int64_t>(record->SerializedResult().size());
                if (size != sums[index].fileSize)
                    report.messages.push_back(printable(sums[index].fileName) + ": " + std::to_string(size) +
                                              " bytes where the tester's database says " +
                                              std::to_string(sums[index].fileSize) + "; kept, as it decodes");
                submitted[pos] = 1;
                writers.submit(pos, std::move(record));
            } else if (!pending.empty()) {
                r.error = pending.back().text;
            } else if (lost) {
                r.error = "Lost Connection to tester";
            } else {
                r.error = "the record's file was not fetched";
            }
            for (const auto& m : pending) {
                const std::string text =
                    m.internal ? "internal error: " + m.text : printable(m.subject) + ": " + m.text;
                if (seen.insert(text).second) report.messages.push_back(text);
            }
        }
        progress.update(pos, writers.bytes());
    }
    writers.finish();
    report.bytes = writers.bytes();
    progress.update(pos, report.bytes, true);

    // The index first, then everything on the disk, and only then the marks on the tester: a record marked
    // uploaded may be the only copy left.
    size_t ok = 0;
    try {
        ImportIndex& index = out->index();
        index.begin(report.catalog.testerName, serial);
        for (size_t p = 0; p < report.records.size(); ++p) {
            const ImportedRecord& r = report.records[p];
            ok += r.ok ? 1 : 0;
            const KestrixSum& sum = sums[r.index];
            // Built but not kept here, so not marked imported on the tester.
            if (submitted[p] && !r.written) com->forgetUploadKey(sum.folder, sum.key);
            const ImportRecInfo* info =
                r.index < report.catalog.catalog.Count() ? &report.catalog.catalog.Records()[r.index] : nullptr;
            index.add({serial, sum.fileName, sum.key}, r.ok, indexEntry(sum, info, r, serial));
        }
        index.end(ok, report.records.size() - ok, notListedJson(report.gaps), knownUnlisted(report.gaps));
        out->sync();
    } catch (const std::exception& e) {
        com->CloseImport();
        throw BadInput(std::string(e.what()) + "; nothing was marked on the tester");
    }
    if (o.mark && ok > 0) {
        report.markingAsked = true;
        // After a lost connection the marking needs a new one; without it nothing is marked.
        if (!lost || com->IsConnected())
            report.marking = com->markImported();
        else
            report.markingProblem = "the connection to the tester was lost";
    }
    addMessages(report.messages, seen);
    com->CloseImport();
    report.indexPath = out->index().path().string();
    report.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return report;
}

}  // namespace kx::cli
