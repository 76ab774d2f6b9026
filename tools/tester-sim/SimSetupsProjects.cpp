// smexportproj and smimportproject: project setups in and out of the tester's project store.
#include <sqlite3.h>

#include <memory>
#include <mutex>

#include "SimSetups.h"
#include "SimVfs.h"
#include "storage/ProjectSetupFile.h"
#include "storage/SqliteHandles.h"

namespace fs = std::filesystem;

namespace Kestrix::Sim::SimSetups {
namespace {

using Db = SqliteDb;
using Stmt = SqliteStmt;

// Connections run on their own threads; the project store is changed by one command at a time.
std::mutex g_storeMutex;

Db openDb(const fs::path& path, const char* schema) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(raw);
        return nullptr;
    }
    Db db(raw);
    if (sqlite3_exec(raw, schema, nullptr, nullptr, nullptr) != SQLITE_OK) return nullptr;
    return db;
}

Stmt prepare(sqlite3* db, const char* sql, std::initializer_list<std::string> texts) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    int i = 1;
    for (const auto& t : texts) sqlite3_bind_text(raw, i++, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    return Stmt(raw);
}

// master.sql: one row per project with the folder holding it.
class Master {
public:
    explicit Master(const SimVfs& vfs) : _vfs(vfs) {
        if (auto path = vfs.map(kMasterDatabase))
            _db = openDb(*path,
                         "CREATE TABLE IF NOT EXISTS Projects (name TEXT, dirName TEXT, quarnId TEXT, "
                         "parentQuarnId TEXT)");
    }
    bool ok() const { return _db != nullptr; }

    std::optional<std::string> folderOf(const std::string& name) {
        Stmt s = prepare(_db.get(), "SELECT dirName FROM Projects WHERE name = ?", {name});
        if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
        const auto* text = sqlite3_column_text(s.get(), 0);
        return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
    }

    // A new row and its (new) folder name.
    std::optional<std::string> add(const std::string& name) {
        std::string dir;
        for (int n = 1;; ++n) {
            dir = "Project " + std::to_string(n);
            const auto host = _vfs.map(std::string(kProjectsFolder) + "/" + dir);
            std::error_code ec;
            if (host && !fs::exists(*host, ec)) break;
        }
        Stmt s = prepare(_db.get(), "INSERT INTO Projects (name, dirName, quarnId, parentQuarnId) VALUES (?, ?, ?, '')",
                         {name, dir, "sim-" + dir.substr(8)});
        if (!s || sqlite3_step(s.get()) != SQLITE_DONE) return std::nullopt;
        return dir;
    }

    bool rename(const std::string& from, const std::string& to) {
        Stmt s = prepare(_db.get(), "UPDATE Projects SET name = ? WHERE name = ?", {to, from});
        return s && sqlite3_step(s.get()) == SQLITE_DONE;
    }

private:
    const SimVfs& _vfs;
    Db _db;
};

constexpr const char* kProjectSchema =
    "CREATE TABLE IF NOT EXISTS Project (object BLOB);"
    "CREATE TABLE IF NOT EXISTS Results (key INTEGER, timestamp INTEGER, type INTEGER, name TEXT, status INTEGER, "
    "fileSize INTEGER, fileName TEXT, lengthScaledValue INTEGER, lengthScaleFactor INTEGER);";

std::optional<fs::path> projectDatabase(const SimVfs& vfs, const std::string& dir) {
    if (dir.empty() || dir.find('/') != std::string::npos || dir == "." || dir == "..") return std::nullopt;
    return vfs.map(std::string(kProjectsFolder) + "/" + dir + "/project.sql");
}

// The stored project of a folder; a project stocked without a setup gets one with its name.
Project::Core loadProject(const SimVfs& vfs, const std::string& dir, const std::string& name) {
    Project::Core project;
    project.name = name;
    const auto path = projectDatabase(vfs, dir);
    std::error_code ec;
    if (!path || !fs::exists(*path, ec)) return project;
    std::vector<uint8_t> blob;
    std::string error;
    Project::Core stored;
    if (Project::readSetupDatabase(path->string(), blob, error) && Project::decodeProject(blob, stored, error))
        return stored;
    return project;
}

bool storeProject(const SimVfs& vfs, const std::string& dir, const std::vector<uint8_t>& blob) {
    const auto path = projectDatabase(vfs, dir);
    if (!path) return false;
    Db db = openDb(*path, kProjectSchema);
    if (!db) return false;
    Stmt s = prepare(db.get(), "INSERT OR REPLACE INTO Project (ROWID, object) VALUES (1, ?)", {});
    if (!s) return false;
    sqlite3_bind_blob(s.get(), 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    return sqlite3_step(s.get()) == SQLITE_DONE;
}

bool hasCustomLimit(const Project::Core& p) {
    for (const auto& set : p.testSets.items)
        if (set->isCustomLimit()) return true;
    return false;
}

bool hasCustomCable(const Project::Core& p) {
    for (const auto& set : p.testSets.items)
        if (set->isCustomCable()) return true;
    return false;
}

std::string doubledPercent(const std::string& text) {
    std::string out;
    for (char c : text) {
        out.push_back(c);
        if (c == '%') out.push_back('%');
    }
    return out;
}

// smexportproj -p FOLDER -n NAME [-f]
CommandResult exportProject(const CommandContext& c) {
    const Options o = parseOptions(c.args, "p:n:f");
    if (!o.ok || !o.has('p') || !o.has('n') || o['n'].empty()) return usage("smexportproj -p FOLDER -n NAME [-f]");
    std::lock_guard lock(g_storeMutex);
    Master master(c.vfs);
    const auto dir = master.ok() ? master.folderOf(o['n']) : std::nullopt;
    if (!dir) return reply("RC_ENTITY_NOT_FOUND");
    const Project::Core project = loadProject(c.vfs, *dir, o['n']);
    const std::string file = o['p'] + "/" + projectFileName(o['n']) + ".sql";
    const auto host = c.vfs.map(file);
    std::error_code ec;
    if (!host || !fs::is_directory(host->parent_path(), ec)) return reply("OP_FAILED");
    if (fs::exists(*host, ec) && !o.has('f')) return reply("RC_ENTITY_EXISTS");
    std::string error;
    std::vector<uint8_t> bytes;
    if (!Project::encodeProject(project, bytes, error) || !Project::writeSetupDatabase(host->string(), bytes, error))
        return reply("OP_FAILED");
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    std::string out = "{\n   \"FileExported\" : \"" + doubledPercent(file) + "\",\n";
    out += std::string("   \"CustomLimitsFound\" : ") + flag(hasCustomLimit(project)) + ",\n";
    out += std::string("   \"CustomCablesFound\" : ") + flag(hasCustomCable(project)) + "\n}\nOK\n";
    return CommandResult{out, {}, 0};
}

// smimportproject -i FILE [-o NAME] [-f] [-m MODEL]: -o replaces project NAME, -f replaces a project of the
// imported name, -m names the module model the setups are for.
CommandResult importProject(const CommandContext& c) {
    const Options o = parseOptions(c.args, "i:o:fm:");
    const std::string model = o['m'];
    const bool modelOk = !o.has('m') || (!model.empty() && model.find_first_not_of("0123456789") == std::string::npos);
    if (!o.ok || !o.has('i') || !modelOk) return usage("smimportproject -i FILE [-o NAME] [-f] [-m MODEL]");
    // A second-generation unit takes setups only for the module model it names.
    if (c.sim.options().sysinfo.model.find("Ombrel") != std::string::npos && model != "3001") return reply("OP_FAILED");
    const auto bytes = readFile(c.vfs, o['i']);
    if (!bytes) return reply("RC_ENTITY_NOT_FOUND");
    Project::Core project;
    std::string error;
    const auto host = c.vfs.map(o['i']);
    std::vector<uint8_t> blob;
    if (!Project::isSqliteDatabase(*bytes) || !host || !Project::readSetupDatabase(host->string(), blob, error) ||
        !Project::decodeProject(blob, project, error) || project.name.empty())
        return reply("DB_CORRUPT");

    std::lock_guard lock(g_storeMutex);
    Master master(c.vfs);
    if (!master.ok()) return reply("OP_FAILED");
    std::optional<std::string> dir;
    if (o.has('o')) {
        dir = master.folderOf(o['o']);
        if (!dir) return reply("DB_ENTITY_DOES_NOT_EXIST");
        if (o['o'] != project.name && master.folderOf(project.name)) return reply("RC_ENTITY_EXISTS");
        if (!master.rename(o['o'], project.name)) return reply("OP_FAILED");
    } else {
        dir = master.folderOf(project.name);
        if (dir && !o.has('f')) return reply("RC_ENTITY_EXISTS");
        if (!dir) dir = master.add(project.name);
        if (!dir) return reply("OP_FAILED");
    }
    return reply(storeProject(c.vfs, *dir, blob) ? "OK" : "OP_FAILED");
}

}  // namespace

void registerProjectCommands(TesterSim& sim) {
    // A tester always has its master database, if only an empty one.
    std::error_code ec;
    const auto folder = sim.vfs().map(kProjectsFolder);
    const auto master = sim.vfs().map(kMasterDatabase);
    if (folder && master && fs::is_directory(*folder, ec) && !fs::exists(*master, ec)) Master created(sim.vfs());
    sim.addCommand("smexportproj", exportProject);
    sim.addCommand("smimportproject", importProject);
}

}  // namespace Kestrix::Sim::SimSetups
