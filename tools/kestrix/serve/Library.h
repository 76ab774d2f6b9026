#pragma once
// The results of the folders being served: what each import folder's index lists (read through
// ImportFolder), and any result file below the folder that the index does not name. Rows carry what the index
// or the result's summary gives at once; the facts that need a result decoded (limit, media, tester, margin,
// verdict conflict) are added later, one record at a time, by whoever reads them. A library is not changed
// after it is loaded apart from those facts; an import loads a new one.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tester/report/ReportModel.h"

namespace kx::serve {

inline constexpr int64_t kNoTime = INT64_MIN;

// One result file of a served folder.
struct LibraryRecord {
    uint32_t id = 0;      // the number URLs name it by, fixed for the server's run
    uint32_t folder = 0;  // which served folder
    std::string project, site, cableId;
    int64_t testTime = kNoTime;                        // seconds since 1970
    int status = Kestrix::Tester::kHostStatusUnknown;  // host status
    double lengthM = 0;                                // NaN when unknown
    std::string result;                                // path below its folder; checked to stay inside it
    std::string record;                                // the host record beside it, "" when there is none
    uint64_t size = 0;
    int64_t modified = 0;  // the file's modification time, ns
};

// What needs the result decoded: the report's summary row of the record (media, test type, limit, tester,
// worst margin with where it is, verdict conflict, damage), as the report and `kestrix export` give it.
struct RecordFacts {
    Kestrix::Report::SummaryRow row;

    bool verdictConflict() const { return !row.conflict.empty(); }
    // The worst margin in dB; NaN when the record judges none.
    double worstMargin() const;
};

// Numbers for records, kept across the libraries of one server run so a URL keeps naming the same file after
// an import adds others.
class RecordIds {
public:
    uint32_t idFor(const std::string& folder, const std::string& result);

private:
    std::mutex _mutex;
    std::map<std::string, uint32_t> _ids;
};

class Library {
public:
    struct Folder {
        std::string given;                // as named on the command line
        std::filesystem::path canonical;  // absolute, without links
        std::string tester;               // who filled it, from its index
        std::vector<std::string> problems;
    };

    // Reads each folder; a folder that cannot be read at all makes `error` name it and gives null.
    static std::shared_ptr<Library> load(const std::vector<std::string>& folders, RecordIds& ids, std::string& error);

    const std::vector<Folder>& folders() const { return _folders; }
    // In id order.
    const std::vector<LibraryRecord>& records() const { return _records; }
    size_t size() const { return _records.size(); }
    // Position of the record numbered `id`, or npos.
    size_t find(uint32_t id) const;
    static constexpr size_t npos = static_cast<size_t>(-1);

    // The result file of a record, read when it still lies inside its folder (links included) and is at most
    // `maxBytes`; empty with `error` set otherwise.
    std::vector<uint8_t> readResult(size_t pos, std::string& error, uint64_t maxBytes = kMaxResultBytes) const;
    // The same for the host record beside it.
    std::string readHostRecord(size_t pos, std::string& error) const;
    // The absolute path of the record's result file, checked as readResult checks it; "" when refused.
    std::string resultFile(size_t pos) const;
    // The result file as `kestrix export` of the folder names it: the folder as given, then the path below it.
    std::string givenPath(size_t pos) const;

    // Re-tests: records of one folder, project, site and cable id form a group, latest first.
    const std::vector<size_t>& group(size_t pos) const { return _groups[_groupOf[pos]]; }
    size_t groupOf(size_t pos) const { return _groupOf[pos]; }
    bool isLatest(size_t pos) const { return group(pos).front() == pos; }
    size_t groupCount() const { return _groups.size(); }

    // Facts are added from any thread, once per record; readers see either nothing or the whole facts.
    const RecordFacts* facts(size_t pos) const;
    void setFacts(size_t pos, RecordFacts facts);
    size_t factsKnown() const { return _factsKnown.load(); }
    // Takes the facts of `older` for every record that is the same file, unchanged.
    void adoptFacts(const Library& older);

    static constexpr uint64_t kMaxResultBytes = uint64_t(64) << 20;

private:
    Library() = default;
    void loadFolder(uint32_t index, RecordIds& ids);
    void buildGroups();
    std::string pathOf(size_t pos, const std::string& relative) const;

    std::vector<Folder> _folders;
    std::vector<LibraryRecord> _records;
    std::vector<size_t> _posOfId;
    std::vector<std::vector<size_t>> _groups;
    std::vector<size_t> _groupOf;
    std::vector<RecordFacts> _facts;
    std::unique_ptr<std::atomic<bool>[]> _factsReady;
    std::mutex _factsMutex;
    std::atomic<size_t> _factsKnown{0};
};

// "2026-11-03T08:35:00Z" as seconds since 1970; kNoTime when it is not such a time.
int64_t parseIsoTime(const std::string& text);
// "2026-11-03 08:35" (UTC), "" for kNoTime.
std::string timeText(int64_t t);

}  // namespace kx::serve
