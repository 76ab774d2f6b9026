#pragma once
// Reading a folder the import wrote. Its index (DIR/index.json) says which result of which tester each file
// is and where the result's host record lies; whoever reads the folder (the report, a viewer) asks here
// instead of deriving paths from the layout, which the import may change (names made unique, a project
// named like the index moved aside).
//
//   auto folder = Kestrix::Import::ImportFolder::open("imported", &why);
//   for (const auto& e : folder->entries()) ... e.result, e.record (relative to the folder) ...
//   folder->recordPathOf("imported/P/X-01.result");   // imported/P/X-01.json
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <boost/optional.hpp>
#include <json/value.h>

#include "tester/import/ImportPaths.h"

namespace Kestrix::Import {

// One record of the index.
struct FolderEntry {
    // The tester serial is "" for an entry written before entries carried one, when the index does not name
    // its tester's serial either.
    RecordIdentity identity;
    bool serialStored = false;  // the entry named its tester's serial itself
    bool imported = false;
    std::string project;  // as the tester listed it
    std::string site;
    std::string result;  // the result file, relative to the folder; "" when not imported
    std::string record;  // its host record beside it
    int64_t size = -1;   // the result's size in the tester's database, -1 when not given
    std::string testDate;
    int64_t bytes = -1;               // the result file's size as written, -1 when not given
    boost::optional<uint32_t> crc32;  // of the result file as written
    Json::Value json;                 // the whole entry as stored

    // Imported from a result of this size and date in the tester's database, with the size and checksum of
    // the file as written (without them the file cannot be checked).
    bool heldAs(int64_t testerSize, const std::string& testerDate) const {
        return imported && crc32 && bytes >= 0 && size == testerSize && testDate == testerDate;
    }
};

class ImportFolder {
public:
    // Reads DIR/index.json. Null when there is none or it cannot be read; `error` says why.
    static std::unique_ptr<ImportFolder> open(const std::filesystem::path& dir, std::string* error = nullptr);
    // The same from the index's text.
    static std::unique_ptr<ImportFolder> fromText(const std::filesystem::path& dir, const std::string& text,
                                                  std::string* error = nullptr);

    const std::filesystem::path& dir() const { return _dir; }
    // The tester the last run imported from, as the index names it at the top.
    const std::string& testerName() const { return _testerName; }
    const std::string& testerSerial() const { return _testerSerial; }
    const std::vector<FolderEntry>& entries() const { return _entries; }
    // The entry of a record of the tester named `testerName`, or null. Entries that name no serial (written
    // before entries carried one) belong to the tester the index names at its top.
    const FolderEntry* entryOf(const RecordIdentity& id, const std::string& testerName) const;

    // The entry of a result file inside the folder (absolute, or relative to the current folder), or null
    // when the index does not list it as imported.
    const FolderEntry* entryOfResult(const std::filesystem::path& resultFile) const;
    // Its host record, or none.
    boost::optional<std::filesystem::path> recordPathOf(const std::filesystem::path& resultFile) const;

private:
    ImportFolder() = default;

    std::filesystem::path _dir;
    std::filesystem::path _canonicalDir;
    std::string _testerName;
    std::string _testerSerial;
    std::vector<FolderEntry> _entries;
    std::unordered_map<std::string, size_t> _byResult;  // relative result path
    std::map<RecordIdentity, size_t> _byIdentity;
};

// The import folders met while looking up many result files, each read once.
class ImportFolders {
public:
    // The index entry of `resultFile` in the import folder it lies in (the nearest folder above it that
    // holds an index), or null when there is no such folder or its index does not list the file as imported.
    const FolderEntry* entryOfResult(const std::filesystem::path& resultFile);
    // Its host record, or none.
    boost::optional<std::filesystem::path> recordPathOf(const std::filesystem::path& resultFile);

private:
    // The import folder `resultFile` lies in, or null.
    const ImportFolder* folderOf(const std::filesystem::path& resultFile);

    // Each folder looked at: the import folder read there, or null when it holds no readable index.
    std::map<std::filesystem::path, std::unique_ptr<ImportFolder>> _seen;
};

}  // namespace Kestrix::Import
