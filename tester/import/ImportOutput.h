#pragma once
// The output folder of an import: the paths its records get (ImportPaths), the files written there, the
// index merged into (ImportIndex), and the one sync that puts all of it on the disk before anything is
// marked on the tester. No path ever leaves DIR; every file is written under a temporary name and renamed.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "tester/import/ImportIndex.h"
#include "tester/import/ImportPaths.h"
#include "tester/import/OutputFile.h"

namespace Kestrix::Import {

class ImportOutput {
public:
    // Makes DIR when missing and reads its index (entries of `testerSerial`'s records written before
    // serials were kept are recognised by `testerName`). Throws std::runtime_error.
    ImportOutput(std::filesystem::path dir, const std::string& testerName = {}, const std::string& testerSerial = {});
    ~ImportOutput();
    ImportOutput(const ImportOutput&) = delete;
    ImportOutput& operator=(const ImportOutput&) = delete;

    // Decides the names of all records of this import. Call once, before writing.
    void plan(const std::vector<PlannedRecord>& records);
    // Paths relative to DIR of record i.
    std::string resultPath(size_t i) const { return _planned.at(i) + ".result"; }
    std::string recordPath(size_t i) const { return _planned.at(i) + ".json"; }

    // The index entry of record i when the folder already holds it intact under its planned path: the
    // entry names the same tester's size and date (`testerSize`, `testDate`) and the file's size and
    // checksum as written, the result file still has them, and its host record is there. Else null.
    const FolderEntry* held(size_t i, int64_t testerSize, const std::string& testDate) const;

    // Writes record i's result bytes and host record (durable only after sync()); then removes the files
    // this same record had under another name before. Throws std::runtime_error. Safe to call for different
    // records from several threads at once.
    void write(size_t i, const std::vector<uint8_t>& result, const std::string& hostRecordJson);

    ImportIndex& index() { return *_index; }
    // Everything written so far on the disk; throws std::runtime_error.
    void sync() const { syncFileSystem(_canonicalDir); }

    const std::filesystem::path& dir() const { return _dir; }

private:
    std::filesystem::path inside(const std::string& relative) const;
    // The folder of `relative` (a file's path below DIR), made when missing; each folder is checked once.
    std::filesystem::path folderOf(const std::filesystem::path& relative);
    void removeStale(size_t i);

    std::filesystem::path _dir;
    std::filesystem::path _canonicalDir;
    std::unique_ptr<ImportIndex> _index;
    std::unique_ptr<PathPlanner> _planner;
    std::vector<RecordIdentity> _identities;
    std::vector<std::string> _planned;  // relative path without extension
    std::vector<std::string> _stale;    // the record's earlier stem to remove once it is written, or ""
    std::mutex _foldersMutex;
    std::unordered_map<std::string, std::filesystem::path> _folders;  // made and checked, by relative path
};

// CRC-32 (zlib's) of `n` bytes.
uint32_t crc32Of(const uint8_t* data, size_t n);
// The checksum as the index stores it: eight lowercase hexadecimal digits.
std::string crc32Text(uint32_t crc);

}  // namespace Kestrix::Import
