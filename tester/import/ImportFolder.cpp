#include "tester/import/ImportFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <json/reader.h>

namespace fs = std::filesystem;

namespace Kestrix::Import {
namespace {

// An index is a few hundred bytes per record; one larger than this is not ours.
constexpr uintmax_t kMaxIndexBytes = uintmax_t(1) << 30;
// Import folders hold project, site and cable id below them: a result lies a few levels down.
constexpr int kMaxLevelsUp = 8;
constexpr const char* kResultSuffix = ".result";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int64_t integerOr(const Json::Value& v, int64_t otherwise) { return v.isInt64() ? v.asInt64() : otherwise; }

std::string stringOr(const Json::Value& v) { return v.isString() ? v.asString() : std::string(); }

boost::optional<uint32_t> crcOf(const Json::Value& v) {
    if (!v.isString()) return boost::none;
    const std::string text = v.asString();
    if (text.size() != 8 || text.find_first_not_of("0123456789abcdef") != std::string::npos) return boost::none;
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

FolderEntry entryFrom(const Json::Value& r, const std::string& fallbackSerial) {
    FolderEntry e;
    e.serialStored = r["testerSerial"].isString();
    e.identity.testerSerial = e.serialStored ? r["testerSerial"].asString() : fallbackSerial;
    e.identity.testerFile = r["testerFile"].asString();
    e.identity.key = r["key"].asInt64();
    e.imported = r["imported"].isBool() && r["imported"].asBool();
    e.project = stringOr(r["project"]);
    e.site = stringOr(r["site"]);
    if (e.imported) {
        e.result = stringOr(r["result"]);
        e.record = stringOr(r["record"]);
    }
    e.size = integerOr(r["size"], -1);
    e.testDate = stringOr(r["testDate"]);
    e.bytes = integerOr(r["bytes"], -1);
    e.crc32 = crcOf(r["crc32"]);
    e.json = r;
    return e;
}

}  // namespace

std::unique_ptr<ImportFolder> ImportFolder::open(const fs::path& dir, std::string* error) {
    const auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return std::unique_ptr<ImportFolder>();
    };
    const fs::path index = dir / kIndexName;
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(index, ec))) return fail("no index in " + dir.string());
    const uintmax_t size = fs::file_size(index, ec);
    if (ec || size > kMaxIndexBytes) return fail("cannot read " + index.string());
    std::ifstream in(index, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) return fail("cannot read " + index.string());
    return fromText(dir, text.str(), error);
}

std::unique_ptr<ImportFolder> ImportFolder::fromText(const fs::path& dir, const std::string& text, std::string* error) {
    Json::Value doc;
    std::string errors;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(text.data(), text.data() + text.size(), &doc, &errors) || !doc.isObject() ||
        !doc["records"].isArray()) {
        if (error) *error = (dir / kIndexName).string() + " is not an import index";
        return nullptr;
    }

    std::unique_ptr<ImportFolder> folder(new ImportFolder());
    std::error_code ec;
    folder->_dir = dir;
    folder->_canonicalDir = fs::weakly_canonical(dir, ec);
    folder->_testerName = stringOr(doc["tester"]);
    folder->_testerSerial = stringOr(doc["testerSerial"]);
    for (const auto& r : doc["records"]) {
        if (!r.isObject() || !r["testerFile"].isString() || !r["key"].isInt64()) continue;
        FolderEntry e = entryFrom(r, folder->_testerSerial);
        if (e.imported && endsWith(e.result, kResultSuffix))
            folder->_byResult.emplace(e.result, folder->_entries.size());
        folder->_byIdentity.emplace(e.identity, folder->_entries.size());
        folder->_entries.push_back(std::move(e));
    }
    return folder;
}

const FolderEntry* ImportFolder::entryOf(const RecordIdentity& id, const std::string& testerName) const {
    auto it = _byIdentity.find(id);
    if (it == _byIdentity.end() && _testerSerial.empty() && _testerName == testerName)
        it = _byIdentity.find({"", id.testerFile, id.key});
    if (it == _byIdentity.end()) return nullptr;
    const FolderEntry& e = _entries[it->second];
    return e.identity.testerSerial == id.testerSerial || !e.serialStored ? &e : nullptr;
}

const FolderEntry* ImportFolder::entryOfResult(const fs::path& resultFile) const {
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(resultFile, ec);
    if (ec) return nullptr;
    const fs::path relative = full.lexically_relative(_canonicalDir);
    if (relative.empty() || *relative.begin() == "..") return nullptr;
    const auto it = _byResult.find(relative.generic_string());
    return it == _byResult.end() ? nullptr : &_entries[it->second];
}

boost::optional<fs::path> ImportFolder::recordPathOf(const fs::path& resultFile) const {
    const FolderEntry* e = entryOfResult(resultFile);
    if (!e || e->record.empty()) return boost::none;
    const fs::path record = (_canonicalDir / e->record).lexically_normal();
    // An index edited to point elsewhere speaks only for its own folder.
    const fs::path relative = record.lexically_relative(_canonicalDir);
    if (relative.empty() || *relative.begin() == "..") return boost::none;
    return record;
}

const ImportFolder* ImportFolders::folderOf(const fs::path& resultFile) {
    std::error_code ec;
    fs::path folder = fs::weakly_canonical(resultFile, ec).parent_path();
    if (ec) return nullptr;
    for (int level = 0; level < kMaxLevelsUp && !folder.empty(); ++level) {
        auto seen = _seen.find(folder);
        if (seen == _seen.end()) seen = _seen.emplace(folder, ImportFolder::open(folder)).first;
        if (seen->second) return seen->second.get();
        if (folder == folder.root_path()) break;
        folder = folder.parent_path();
    }
    return nullptr;
}

const FolderEntry* ImportFolders::entryOfResult(const fs::path& resultFile) {
    const ImportFolder* folder = folderOf(resultFile);
    return folder ? folder->entryOfResult(resultFile) : nullptr;
}

boost::optional<fs::path> ImportFolders::recordPathOf(const fs::path& resultFile) {
    const ImportFolder* folder = folderOf(resultFile);
    return folder ? folder->recordPathOf(resultFile) : boost::none;
}

}  // namespace Kestrix::Import
