#pragma once
// SQLite files written the way the tester writes its databases, and read back, for tests of the tables, the
// importer and the simulator.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/TestFiles.h"

namespace kx::test {

// The rows `sql` selects from the database at `path`, every cell as text ("" for NULL).
inline std::vector<std::vector<std::string>> textRows(const std::filesystem::path& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    std::string err;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        err = path.string() + ": " + sqlite3_errmsg(db);
    std::vector<std::vector<std::string>> out;
    while (st != nullptr && sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const auto* t = sqlite3_column_text(st, i);
            row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        out.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (!err.empty()) throw std::runtime_error("cannot read " + err);
    return out;
}

// Runs SQL statements on a new database file at `path` (an old file is replaced).
inline void makeDb(const std::filesystem::path& path, const std::string& sql) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path.string());
    }
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("SQL failed: " + msg);
}

inline const char* kMasterSchema = "CREATE TABLE Projects(name TEXT, dirName TEXT, quarnId TEXT, parentQuarnId TEXT);";
inline const char* kResultsSchema =
    "CREATE TABLE Results(key INTEGER, timestamp INTEGER, type INTEGER, name TEXT, status INTEGER, "
    "fileSize INTEGER, fileName TEXT, lengthScaledValue INTEGER, lengthScaleFactor INTEGER);";

struct ResultRow {
    int64_t key = 1;
    int64_t timestamp = 1700000000;
    int64_t type = 1;
    std::string name = "CAB-001";
    int64_t status = 4;
    int64_t fileSize = 100;
    std::string fileName = "r1.result";
    int64_t lengthScaledValue = 1234;
    int64_t lengthScaleFactor = 1;
};

inline std::string sqlText(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

inline std::string insertResult(const ResultRow& r) {
    return "INSERT INTO Results VALUES(" + std::to_string(r.key) + "," + std::to_string(r.timestamp) + "," +
           std::to_string(r.type) + "," + sqlText(r.name) + "," + std::to_string(r.status) + "," +
           std::to_string(r.fileSize) + "," + sqlText(r.fileName) + "," + std::to_string(r.lengthScaledValue) + "," +
           std::to_string(r.lengthScaleFactor) + ");";
}

inline std::string insertProject(const std::string& name, const std::string& dir, const std::string& id,
                                 const std::string& parent) {
    return "INSERT INTO Projects VALUES(" + sqlText(name) + "," + sqlText(dir) + "," + sqlText(id) + "," +
           sqlText(parent) + ");";
}

// A tester's storage below `root` as an import reads it: the projects folder with the master database of
// `masterRows` (insertProject statements) ...
inline const char* kTesterProjects = "microsd_userdata/projects";

inline void writeMaster(const std::filesystem::path& root, const std::string& masterRows) {
    std::filesystem::create_directories(root / kTesterProjects);
    makeDb(root / kTesterProjects / "master.sql", std::string(kMasterSchema) + masterRows);
}

// ... and per project folder its database with `rows` and a result file per row, its bytes from `content`.
inline void writeProject(const std::filesystem::path& root, const std::string& dir, const std::vector<ResultRow>& rows,
                         const std::function<std::vector<uint8_t>(const ResultRow&)>& content) {
    const auto folder = root / kTesterProjects / dir;
    std::filesystem::create_directories(folder);
    std::string sql = kResultsSchema;
    for (const auto& r : rows) {
        sql += insertResult(r);
        writeBytes(folder / r.fileName, content(r));
    }
    makeDb(folder / "project.sql", sql);
}

}  // namespace kx::test
