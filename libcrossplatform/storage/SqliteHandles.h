#pragma once
// Owning handles of SQLite connections and statements, for the library and the tools alike.
#include <sqlite3.h>

#include <memory>

namespace Kestrix {

struct SqliteDbCloser {
    // _v2: a connection whose statements are still open is closed once they are, not leaked.
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteStmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteDbCloser>;
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteStmtFinalizer>;

}  // namespace Kestrix
