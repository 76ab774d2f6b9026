#pragma once
// Where imported records go on the local disk: DIR/<project>/<site>/<cable id>.result with the host record
// beside it as <cable id>.json, and DIR/index.json listing every record. Names come from the tester and are
// made safe here; no path ever leaves DIR. Every file is written under a temporary name and renamed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <json/value.h>

namespace kx::cli {

// `name` as one safe file or folder name: no "/", "\", control or reserved characters, not "." or "..",
// no leading dot, not empty, at most `maxBytes` bytes (cut on a UTF-8 boundary).
std::string safeName(const std::string& name, size_t maxBytes = 120);

// Writes `bytes` to `path` through a temporary file in the same folder; throws std::runtime_error.
void writeAtomically(const std::filesystem::path& path, const std::string& bytes);
void writeAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// One stored result as the output knows it.
struct OutputRecord {
    std::string project;
    std::string site;
    std::string cableId;
    std::string testerFile;  // path on the tester below the projects folder: identifies the record
    int64_t key = 0;
};

class ImportOutput {
public:
    // Reads DIR/index.json of an earlier run, if any, so that a record imported again replaces its old files.
    explicit ImportOutput(std::filesystem::path dir);
    ~ImportOutput();
    ImportOutput(const ImportOutput&) = delete;
    ImportOutput& operator=(const ImportOutput&) = delete;

    // Decides the names of all records of this import (duplicates of one cable id in one folder get the
    // record's key added). Call once, before writing.
    void plan(const std::vector<OutputRecord>& records);
    // Paths relative to DIR of record i.
    std::string resultPath(size_t i) const { return _planned.at(i) + ".result"; }
    std::string recordPath(size_t i) const { return _planned.at(i) + ".json"; }

    // Writes record i's result bytes and host record; removes its files of an earlier run stored under other
    // names. Throws std::runtime_error.
    void write(size_t i, const std::vector<uint8_t>& result, const std::string& hostRecordJson);
    void writeIndex(const Json::Value& index);

    // DIR/index.json written as records come, so that no list of every entry is held in memory:
    // beginIndex, then addIndexEntry per record in planned order (an imported record's entry gains
    // "verdictConflict": the text, or null), then endIndex (which renames it into place).
    void beginIndex(const std::string& tester);
    void addIndexEntry(const Json::Value& entry);
    void endIndex(uint64_t imported, uint64_t failed);

    const std::filesystem::path& dir() const { return _dir; }

private:
    std::filesystem::path inside(const std::string& relative) const;

    std::filesystem::path _dir;
    std::filesystem::path _canonicalDir;
    std::vector<std::string> _planned;  // relative path without extension
    std::set<std::string> _plannedSet;  // relative result paths of this import
    std::vector<std::string> _testerFiles;
    std::map<std::string, std::string> _previous;  // tester file -> relative result path of an earlier run
    std::vector<std::string> _conflicts;           // verdict conflict of each planned record, "" for none
    size_t _entries = 0;                           // index entries written, in planned order
    std::FILE* _index = nullptr;
    std::string _indexTemp;
    bool _firstEntry = true;
};

}  // namespace kx::cli
