#include "tester/setups/SetupDatabase.h"

#include <sqlite3.h>

#include <cstring>
#include <memory>

#include "storage/SqliteHandles.h"

namespace Kestrix::Tester {
namespace {

// Progress callbacks (every kProgressStep virtual machine steps) one query may take.
constexpr int kProgressStep = 1000;
constexpr int kMaxProgressCalls = 20000;

using Db = SqliteDb;
using Stmt = SqliteStmt;

int countProgress(void* calls) { return ++*static_cast<int*>(calls) > kMaxProgressCalls ? 1 : 0; }

// A read-only in-memory database over a copy of `bytes`.
class MemoryDatabase {
public:
    explicit MemoryDatabase(const std::vector<uint8_t>& bytes) {
        if (bytes.empty()) return;
        sqlite3* raw = nullptr;
        if (sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) != SQLITE_OK) {
            sqlite3_close(raw);
            return;
        }
        Db db(raw);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size()));
        if (copy == nullptr) return;
        std::memcpy(copy, bytes.data(), bytes.size());
        const auto size = static_cast<sqlite3_int64>(bytes.size());
        // The connection owns the copy from here on, also when this fails.
        if (sqlite3_deserialize(raw, "main", copy, size, size,
                                SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
            return;
        sqlite3_progress_handler(raw, kProgressStep, countProgress, &_progressCalls);
        _db = std::move(db);
    }

    // The prepared statement, or null (no such table, not a database).
    Stmt prepare(const char* sql) {
        if (!_db) return nullptr;
        _progressCalls = 0;
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(_db.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            return nullptr;
        }
        return Stmt(raw);
    }

private:
    Db _db;
    int _progressCalls = 0;
};

int columnIndex(sqlite3_stmt* stmt, const char* name) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const char* n = sqlite3_column_name(stmt, i);
        if (n != nullptr && sqlite3_stricmp(n, name) == 0) return i;
    }
    return -1;
}

}  // namespace

boost::optional<std::vector<std::string>> projectNamesFromMaster(const std::vector<uint8_t>& database) {
    MemoryDatabase db(database);
    Stmt stmt = db.prepare("SELECT * FROM [Projects]");
    if (!stmt) return boost::none;
    const int column = columnIndex(stmt.get(), "name");
    if (column < 0) return boost::none;
    std::vector<std::string> names;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(stmt.get(), column);
        const int size = sqlite3_column_bytes(stmt.get(), column);
        if (text != nullptr && size > 0)
            names.emplace_back(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
    }
    // Rows read before an error (such as a corrupt page) are kept, as a table walk that stops there.
    return names;
}

boost::optional<std::vector<uint8_t>> projectBlobFromSetupFile(const std::vector<uint8_t>& database) {
    MemoryDatabase db(database);
    Stmt stmt = db.prepare("SELECT * FROM [Project] WHERE ROWID = 1");
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) return boost::none;
    const int column = columnIndex(stmt.get(), "object");
    if (column < 0 || sqlite3_column_type(stmt.get(), column) == SQLITE_NULL) return boost::none;
    const void* data = sqlite3_column_blob(stmt.get(), column);
    const int size = sqlite3_column_bytes(stmt.get(), column);
    if (data == nullptr || size <= 0) return boost::none;
    const auto* p = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + size);
}

}  // namespace Kestrix::Tester
