#pragma once
// Where each imported record goes in the output folder: DIR/<project>/<site>/<cable id>.result with its
// host record beside it as .json. Names come from the tester and are made safe; no two records of a run,
// and no record and a file already in the folder that is not its own, ever share a path, compared without
// case so the folder also survives a copy to a file system that ignores case.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Kestrix::Import {

// Which result a record is, whatever its names: the tester (by serial number), the result file's place on
// it (folder and file below the projects folder) and its key in the project database.
struct RecordIdentity {
    std::string testerSerial;
    std::string testerFile;
    int64_t key = 0;

    bool operator==(const RecordIdentity& o) const {
        return key == o.key && testerFile == o.testerFile && testerSerial == o.testerSerial;
    }
    bool operator<(const RecordIdentity& o) const {
        if (testerSerial != o.testerSerial) return testerSerial < o.testerSerial;
        if (testerFile != o.testerFile) return testerFile < o.testerFile;
        return key < o.key;
    }
};

// `name` as one safe file or folder name: no "/", "\", control or reserved characters, not "." or "..",
// no leading dot, not empty, at most `maxBytes` bytes (cut on a UTF-8 boundary).
std::string safeName(const std::string& name, size_t maxBytes = 120);

// `path` as file systems that ignore case compare it: ASCII, Latin-1 and Latin Extended-A letters folded to
// lower case (the letters a tester's names are made of); other bytes kept.
std::string foldCase(std::string_view path);

// Top-level names the folder keeps for itself.
inline constexpr const char* kIndexName = "index.json";

struct PlannedRecord {
    std::string project;
    std::string site;
    std::string cableId;
    RecordIdentity identity;
};

class PathPlanner {
public:
    // `owners`: the stem (relative path without extension) the folder's index gives each record it holds.
    // `existing`: every file and folder already in the output folder, relative to it.
    PathPlanner(const std::vector<std::pair<RecordIdentity, std::string>>& owners,
                const std::vector<std::string>& existing);

    // The stem of each record, in order. A record keeps the stem it had when that still fits its names;
    // otherwise it takes the first free one of <names>, <names>~2, <names>~3, ...
    std::vector<std::string> plan(const std::vector<PlannedRecord>& records);

    // The stem an earlier run gave `id`, or "" when none.
    std::string previousStem(const RecordIdentity& id) const;
    // True when `stem` was taken by a record of the last plan.
    bool plannedFor(const std::string& stem) const { return _claimed.count(foldCase(stem)) != 0; }

private:
    static std::string preferredStem(const PlannedRecord& r);
    bool free(const std::string& stem, const RecordIdentity& id) const;

    std::map<RecordIdentity, std::string> _stemOf;
    std::unordered_map<std::string, RecordIdentity> _ownerOf;  // folded stem
    std::unordered_set<std::string> _existing;                 // folded relative paths
    std::unordered_set<std::string> _claimed;                  // folded stems of this plan
};

}  // namespace Kestrix::Import
