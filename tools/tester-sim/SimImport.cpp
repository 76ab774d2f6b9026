// The tester's side of a record import: "smmarkuploaded" marks imported results as uploaded.
#include <sqlite3.h>
#include <sys/stat.h>

#include <mutex>
#include <optional>
#include <stdexcept>

#include "SimState.h"
#include "SimStock.h"
#include "SimStockDb.h"
#include "common/PFile.h"
#include "serialization/LittleEndian.h"

namespace Kestrix::Sim {
namespace {

// Ten times the largest list an import sends in practice (10,000 keys).
constexpr int64_t kMaxListBytes = 1 << 20;

CommandResult reply(const char* text, int status) { return CommandResult{std::string(text) + "\n", {}, status}; }

struct MarkRequest {
    std::string project;
    std::string file;
};

// "-q -p PROJECT -f FILE", in any order; none when a word is unknown or a value is missing.
std::optional<MarkRequest> parseRequest(const std::vector<std::string>& args) {
    MarkRequest r;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-q") continue;
        if ((a == "-p" || a == "-f") && i + 1 < args.size()) {
            (a == "-p" ? r.project : r.file) = args[++i];
            continue;
        }
        return std::nullopt;
    }
    if (r.project.empty() || r.file.empty()) return std::nullopt;
    return r;
}

std::optional<std::string> projectFolder(const SimVfs& vfs, const std::string& project) {
    const auto master = vfs.map(std::string(kProjectsFolder) + "/" + kMasterDbName);
    if (!master || !std::filesystem::is_regular_file(*master)) return std::nullopt;
    SimDb db(*master);
    SimStatement find(db, "SELECT dirName FROM Projects WHERE name = ? LIMIT 1");
    find.bind(1, project);
    if (!find.step()) return std::nullopt;
    return find.columnText(0);
}

bool hasUploadedColumn(SimDb& db) {
    SimStatement info(db, "PRAGMA table_info(Results)");
    while (info.step()) {
        if (info.columnText(1) == "uploaded") return true;
    }
    return false;
}

void markKeys(const std::filesystem::path& projectDb, const std::vector<int32_t>& keys) {
    SimDb db(projectDb);
    db.exec("BEGIN IMMEDIATE");
    // A project database the stock did not write may lack the column; the tester's own tools add it too.
    if (!hasUploadedColumn(db)) db.exec("ALTER TABLE Results ADD COLUMN uploaded INTEGER NOT NULL DEFAULT 0");
    SimStatement mark(db, "UPDATE Results SET uploaded = 1 WHERE key = ?");
    for (int32_t key : keys) {
        mark.bind(1, static_cast<int64_t>(key));
        mark.run();
    }
    db.exec("COMMIT");
}

CommandResult markUploaded(const CommandContext& c, std::mutex& dbMutex) {
    const auto request = parseRequest(c.args);
    if (!request) return reply("RC_INVALID_ARGUMENT", 2);
    const auto listPath = c.vfs.map(request->file);
    struct stat st {};
    if (!listPath || ::stat(listPath->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return reply("RC_ENTITY_NOT_FOUND", 1);
    }
    if (st.st_size > kMaxListBytes) return reply("RC_INVALID_ARGUMENT", 2);
    std::vector<uint8_t> bytes;
    if (!PFile::readFileBytes(listPath->string(), bytes)) return reply("RC_ENTITY_NOT_FOUND", 1);
    const auto keys = readUploadList(bytes);
    if (!keys) return reply("RC_INVALID_ARGUMENT", 2);

    std::lock_guard lock(dbMutex);
    try {
        const auto folder = projectFolder(c.vfs, request->project);
        if (!folder) return reply("RC_ENTITY_NOT_FOUND", 1);
        const auto projectDb = c.vfs.map(std::string(kProjectsFolder) + "/" + *folder + "/" + kProjectDbName);
        if (!projectDb || !std::filesystem::is_regular_file(*projectDb)) return reply("RC_ENTITY_NOT_FOUND", 1);
        markKeys(*projectDb, *keys);
    } catch (const std::runtime_error&) {
        return reply("RC_DATABASE_ERROR", 3);
    }
    return reply("OK", 0);
}

}  // namespace

std::optional<std::vector<int32_t>> readUploadList(const std::vector<uint8_t>& bytes) {
    PFile::MemReader reader;
    if (bytes.size() > static_cast<size_t>(kMaxListBytes) || reader.open(bytes) != 0) return std::nullopt;
    PFile::Section list;
    if (reader.read(list, true) != 0 || list.type() != PFile::SectionType::UploadList || list.header.version != 1 ||
        list.size() == 0 || list.size() % 4 != 0) {
        return std::nullopt;
    }
    PFile::Section extra;
    if (reader.read(extra, false) != -2) return std::nullopt;
    std::vector<int32_t> keys(list.size() / 4);
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i] = Marshal::LittleEndian::load<int32_t>(list.data() + 4 * i);
    }
    return keys;
}

void registerImportCommands(TesterSim& sim) {
    auto dbMutex = std::make_shared<std::mutex>();
    sim.addCommand("smmarkuploaded", [dbMutex](const CommandContext& c) { return markUploaded(c, *dbMutex); });
}

}  // namespace Kestrix::Sim
