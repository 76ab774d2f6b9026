#pragma once
// DIR/index.json: every record the output folder holds (from every run and every tester that wrote into
// it), which result of which tester each is, and what the last run could not list. A run merges into it:
// entries of records it did not touch are carried forward as they were, never dropped. ImportFolder reads it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <json/value.h>

#include "tester/import/ImportFolder.h"
#include "tester/import/ImportPaths.h"

namespace Kestrix::Import {

class ImportIndex {
public:
    // Reads `dir`/index.json when there is one. Entries without a tester serial belong to the tester the
    // index names, when that is `testerName` (whose serial is `testerSerial`); otherwise to no tester. An
    // index that does not parse is kept beside as index.json.unreadable and the run starts a new one.
    ImportIndex(std::filesystem::path dir, const std::string& testerName, const std::string& testerSerial);
    ~ImportIndex();
    ImportIndex(const ImportIndex&) = delete;
    ImportIndex& operator=(const ImportIndex&) = delete;

    const std::vector<FolderEntry>& previous() const { return _previous; }
    // The earlier entry of `id`, or null.
    const FolderEntry* previousOf(const RecordIdentity& id) const;
    // Stems (result paths without ".result") the earlier entries give their records, for the path planner.
    std::vector<std::pair<RecordIdentity, std::string>> owners() const;

    // Writing, without holding every new entry: begin, add per record of the run, end. A record that failed
    // this time but was imported before keeps its earlier entry (its files are still there). `end` writes
    // the untouched earlier entries, the run's counts and what it could not list, then renames the index
    // into place; throws std::runtime_error.
    void begin(const std::string& testerName, const std::string& testerSerial);
    void add(const RecordIdentity& id, bool imported, const Json::Value& entry);
    void end(uint64_t imported, uint64_t failed, const Json::Value& notListed, uint64_t unlisted);

    std::filesystem::path path() const { return _dir / kIndexName; }

private:
    void write(const Json::Value& entry);

    std::filesystem::path _dir;
    std::vector<FolderEntry> _previous;
    std::map<RecordIdentity, size_t> _byIdentity;
    std::vector<char> _touched;
    std::FILE* _out = nullptr;
    std::string _temp;
    bool _first = true;
};

// The stem of a result path ("P/X-01" of "P/X-01.result"), or "" when it is not one.
std::string resultStem(const std::string& resultPath);

}  // namespace Kestrix::Import
