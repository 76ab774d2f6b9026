#include "tester/db/SQLiteTbl.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include <boost/optional.hpp>

#include "storage/SqliteHandles.h"

namespace Kestrix::Tester {
namespace {

using DbPtr = SqliteDb;
using StmtPtr = SqliteStmt;

// "file:" URI of a local path; immutable, so SQLite never looks for (or creates) journal or WAL files
// beside a file that came from elsewhere.
std::string immutableUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out = "file:";
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '.' ||
            c == '-' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + "?immutable=1";
}

std::string bracketed(const std::string& identifier) {
    std::string out = "[";
    for (char c : identifier) out += c == ']' ? std::string("]]") : std::string(1, c);
    return out + "]";
}

// A crafted file must not keep the statement busy for long: the work allowed grows with the file's size.
int stopWhenSpent(void* budget) {
    auto* left = static_cast<int64_t*>(budget);
    return --*left < 0 ? 1 : 0;
}
constexpr int kProgressOps = 1000;

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Whether the table's columns are all stored data. A generated column (or a hidden column of a virtual
// table) is computed by SQLite and can be made arbitrarily large or slow. None when the schema cannot be read.
boost::optional<bool> onlyStoredColumns(sqlite3* db, const std::string& table) {
    sqlite3_stmt* raw = nullptr;
    const std::string sql = "PRAGMA table_xinfo(" + bracketed(table) + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return boost::none;
    }
    StmtPtr stmt(raw);
    for (;;) {
        const int step = sqlite3_step(stmt.get());
        if (step == SQLITE_DONE) return true;
        if (step != SQLITE_ROW) return boost::none;
        if (sqlite3_column_int(stmt.get(), 6) != 0) return false;
    }
}

int64_t countRows(sqlite3* db, const std::string& table) {
    sqlite3_stmt* raw = nullptr;
    const std::string sql = "SELECT count(*) FROM " + bracketed(table);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return -1;
    }
    StmtPtr stmt(raw);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) return -1;
    return sqlite3_column_int64(stmt.get(), 0);
}

}  // namespace

SQLiteTbl::SQLiteTbl(std::string table, std::vector<SQLiteColumn> columns, SQLiteLimits limits)
    : _table(std::move(table)), _columns(std::move(columns)), _limits(limits) {}

int SQLiteTbl::fail(int code, std::string reason) {
    Close();
    _error = std::move(reason);
    return code;
}

int SQLiteTbl::Open(const std::string& path) {
    Close();
    _error.clear();
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    if (ec) return fail(kNotADatabase, "cannot read " + path);

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(immutableUri(path).c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    DbPtr db(raw);
    if (rc != SQLITE_OK) return fail(kNotADatabase, raw ? sqlite3_errmsg(raw) : "cannot open the database");
    return readTable(db.get(), fileSize);
}

int SQLiteTbl::openBytes(const uint8_t* data, size_t size) {
    Close();
    _error.clear();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr);
    DbPtr db(raw);
    if (rc != SQLITE_OK) return fail(kNotADatabase, raw ? sqlite3_errmsg(raw) : "cannot open the database");
    if (size == 0) return readTable(db.get(), 0);
    // Read-only and not freed by SQLite, so the caller's bytes serve as they are (the table is read before
    // this returns).
    if (sqlite3_deserialize(db.get(), "main", const_cast<unsigned char*>(data), static_cast<sqlite3_int64>(size),
                            static_cast<sqlite3_int64>(size), SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
        return fail(kNotADatabase, sqlite3_errmsg(db.get()));
    return readTable(db.get(), size);
}

int SQLiteTbl::readTable(sqlite3* db, uint64_t fileSize) {
    // Nothing stored in the file may run code of its own: no views, triggers or schema-defined functions.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    int64_t budget = 10000 + static_cast<int64_t>(fileSize / 16);
    sqlite3_progress_handler(db, kProgressOps, &stopWhenSpent, &budget);
    // No cell or row longer than this is ever made, so none can ask for more memory than the bound.
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, _limits.maxRowBytes);

    const auto stored = onlyStoredColumns(db, _table);
    if (!stored) return fail(kNotADatabase, sqlite3_errmsg(db));
    if (!*stored) return fail(kRefused, "table \"" + _table + "\" has generated or hidden columns");
    _announcedRows = countRows(db, _table);

    std::string sql = "SELECT ";
    for (size_t i = 0; i < _columns.size(); ++i) sql += (i ? ", " : "") + bracketed(_columns[i].name);
    sql += " FROM " + bracketed(_table);
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &rawStmt, nullptr) != SQLITE_OK) {
        const std::string msg = sqlite3_errmsg(db);
        sqlite3_finalize(rawStmt);
        if (startsWith(msg, "no such table")) return fail(kNoTable, "no table \"" + _table + "\"");
        if (startsWith(msg, "no such column")) return fail(kNoColumn, "table \"" + _table + "\": " + msg);
        return fail(kNotADatabase, msg);
    }
    StmtPtr stmt(rawStmt);

    const int n = static_cast<int>(_columns.size());
    uint64_t kept = 0;
    for (;;) {
        if (_rows.size() >= _limits.maxRows) {
            stopReading("more than " + std::to_string(_limits.maxRows) + " rows");
            break;
        }
        const int step = sqlite3_step(stmt.get());
        if (step == SQLITE_DONE) break;
        if (step != SQLITE_ROW) {
            const std::string reason = sqlite3_errmsg(db);
            if (_rows.empty()) return fail(kReadFailed, reason);
            stopReading(reason);
            break;
        }

        std::vector<Cell> row(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) {
            Cell& cell = row[static_cast<size_t>(c)];
            cell.sqliteType = sqlite3_column_type(stmt.get(), c);
            if (cell.sqliteType == SQLITE_INTEGER) {
                cell.integer = sqlite3_column_int64(stmt.get(), c);
            } else if (cell.sqliteType == SQLITE_TEXT) {
                const auto* text = sqlite3_column_text(stmt.get(), c);
                const int bytes = sqlite3_column_bytes(stmt.get(), c);
                if (text && bytes > 0)
                    cell.text.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
            } else if (cell.sqliteType == SQLITE_BLOB) {
                // Within the length limit, or SQLite would have refused the row.
                const void* blob = sqlite3_column_blob(stmt.get(), c);
                const int bytes = sqlite3_column_bytes(stmt.get(), c);
                if (blob && bytes > 0) cell.text.assign(static_cast<const char*>(blob), static_cast<size_t>(bytes));
            }
        }
        // Each cell is within the length limit already; the sum over rows is bounded here.
        uint64_t rowBytes = 0;
        for (const auto& cell : row) rowBytes += cell.text.size();
        if (rowBytes > _limits.maxBytes - kept) {
            stopReading("more than " + std::to_string(_limits.maxBytes) + " bytes of cells");
            break;
        }
        kept += rowBytes;
        _rows.push_back(std::move(row));
    }
    _open = true;
    return kOpened;
}

void SQLiteTbl::Close() {
    _rows.clear();
    _rows.shrink_to_fit();
    _current = -1;
    _open = false;
    _truncated = false;
    _truncationReason.clear();
    _announcedRows = -1;
}

void SQLiteTbl::stopReading(std::string reason) {
    _truncated = true;
    _truncationReason = std::move(reason);
}

bool SQLiteTbl::Move(int row) {
    if (row < 0 || row >= RowCount()) return false;
    _current = row;
    return true;
}

int SQLiteTbl::columnIndex(const std::string& name) const {
    for (size_t i = 0; i < _columns.size(); ++i)
        if (_columns[i].name == name) return static_cast<int>(i);
    return -1;
}

bool SQLiteTbl::Find(const std::string& column, const std::string& value) {
    const int c = columnIndex(column);
    if (c < 0) return false;
    for (size_t r = 0; r < _rows.size(); ++r) {
        const Cell& cell = _rows[r][static_cast<size_t>(c)];
        if (cell.sqliteType == SQLITE_TEXT && cell.text == value) return Move(static_cast<int>(r));
    }
    return false;
}

bool SQLiteTbl::Find(const std::string& column, int64_t value) {
    const int c = columnIndex(column);
    if (c < 0) return false;
    for (size_t r = 0; r < _rows.size(); ++r) {
        const Cell& cell = _rows[r][static_cast<size_t>(c)];
        if (cell.sqliteType == SQLITE_INTEGER && cell.integer == value) return Move(static_cast<int>(r));
    }
    return false;
}

const SQLiteTbl::Cell& SQLiteTbl::cell(size_t column, SQLiteColumnType expected) const {
    if (_current < 0 || static_cast<size_t>(_current) >= _rows.size() || column >= _columns.size())
        throw SQLiteTblError("table \"" + _table + "\": no current row");
    const Cell& c = _rows[static_cast<size_t>(_current)][column];
    const int wanted = expected == SQLiteColumnType::Int64  ? SQLITE_INTEGER
                       : expected == SQLiteColumnType::Blob ? SQLITE_BLOB
                                                            : SQLITE_TEXT;
    if (c.sqliteType != wanted) {
        const char* what = c.sqliteType == SQLITE_NULL ? "is NULL" : "has the wrong type";
        throw SQLiteTblError("table \"" + _table + "\" row " + std::to_string(_current) + ": column \"" +
                             _columns[column].name + "\" " + what);
    }
    return c;
}

int64_t SQLiteTbl::intColumn(size_t column) const { return cell(column, SQLiteColumnType::Int64).integer; }

const std::string& SQLiteTbl::textColumn(size_t column) const { return cell(column, SQLiteColumnType::Text).text; }

const std::string& SQLiteTbl::blobColumn(size_t column) const { return cell(column, SQLiteColumnType::Blob).text; }

}  // namespace Kestrix::Tester
