#pragma once
// A read-only view of one table of an SQLite database, for the tester's own databases. Those files come
// from the tester and are untrusted: a file that is not a database, a missing table or column, or a cell
// of the wrong type never crashes; it fails Open or throws SQLiteTblError from the column accessor.
//
//   SummaryTbl t;
//   if (t.Open(path) == 0)
//       for (bool row = t.MoveFirst(); row; row = t.MoveNext())
//           use(t.key(), t.name());   // may throw SQLiteTblError for a NULL or mistyped cell
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace Kestrix::Tester {

class SQLiteTblError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SQLiteColumnType { Int64, Text, Blob };

struct SQLiteColumn {
    SQLiteColumnType type;
    std::string name;
};

// What one table may bring into memory. A crafted file can hold (or generate) cells of a gigabyte and
// millions of rows in a few kilobytes; reading stops at these bounds.
struct SQLiteLimits {
    int maxRowBytes = 64 << 20;        // SQLite's length limit: the longest row, text or blob it will produce
    size_t maxRows = 1000000;          // rows kept; reading stops after them
    uint64_t maxBytes = 512ull << 20;  // text and blob bytes of all rows kept together
};

class SQLiteTbl {
public:
    // Open results.
    static constexpr int kOpened = 0;
    static constexpr int kNotADatabase = -1;
    static constexpr int kNoTable = -2;
    static constexpr int kNoColumn = -3;
    static constexpr int kReadFailed = -4;
    static constexpr int kRefused = -5;  // the table computes cells (generated or hidden columns)

    SQLiteTbl(std::string table, std::vector<SQLiteColumn> columns, SQLiteLimits limits = {});
    virtual ~SQLiteTbl() = default;

    // 0 when the table was opened (rows read up to the first unreadable one); a negative code otherwise.
    int Open(const std::string& path);
    // The same over a database file's bytes in memory, which must stay valid during the call only.
    int openBytes(const uint8_t* data, size_t size);
    void Close();
    bool isOpen() const { return _open; }
    // True when reading stopped early, at a damaged part of the file or at a limit; the rows before it are
    // kept and truncationReason() says why.
    bool truncated() const { return _truncated; }
    const std::string& truncationReason() const { return _truncationReason; }
    // The number of rows the table says it holds (SELECT count(*)), or -1 when that cannot be read.
    int64_t announcedRows() const { return _announcedRows; }

    int RowCount() const { return static_cast<int>(_rows.size()); }
    bool MoveFirst() { return Move(0); }
    bool MoveNext() { return Move(_current + 1); }
    bool Move(int row);
    // Moves to the first row whose text or integer cell in `column` equals `value`.
    bool Find(const std::string& column, const std::string& value);
    bool Find(const std::string& column, int64_t value);
    int currentRow() const { return _current; }

    const std::string& tableName() const { return _table; }
    // The reason of the last failed Open.
    const std::string& lastError() const { return _error; }

protected:
    int64_t intColumn(size_t column) const;
    const std::string& textColumn(size_t column) const;
    // The bytes of a BLOB cell (held as a string); throws like the others for NULL or another type.
    const std::string& blobColumn(size_t column) const;

private:
    struct Cell {
        int sqliteType = 0;  // SQLITE_INTEGER, SQLITE_TEXT, ... as stored
        int64_t integer = 0;
        std::string text;
    };
    const Cell& cell(size_t column, SQLiteColumnType expected) const;
    int columnIndex(const std::string& name) const;
    // Reads every row of the table from an open connection; `fileSize` sizes the work allowed.
    int readTable(sqlite3* db, uint64_t fileSize);
    int fail(int code, std::string reason);
    void stopReading(std::string reason);

    std::string _table;
    std::vector<SQLiteColumn> _columns;
    SQLiteLimits _limits;
    std::vector<std::vector<Cell>> _rows;
    int _current = -1;
    bool _open = false;
    bool _truncated = false;
    std::string _truncationReason;
    int64_t _announcedRows = -1;
    std::string _error;
};

}  // namespace Kestrix::Tester
