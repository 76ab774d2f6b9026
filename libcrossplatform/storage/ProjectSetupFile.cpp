#include "storage/ProjectSetupFile.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/PFile.h"
#include "serialization/ByteStreamBuilder.h"
#include "serialization/ReadObject.h"
#include "storage/SqliteHandles.h"

namespace Project {

namespace {
constexpr char kSqliteMagic[] = "SQLite format 3";  // with its NUL: 16 bytes

using Db = Kestrix::SqliteDb;
using Stmt = Kestrix::SqliteStmt;
}  // namespace

bool isSqliteDatabase(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= sizeof kSqliteMagic && std::memcmp(bytes.data(), kSqliteMagic, sizeof kSqliteMagic) == 0;
}

bool readSetupDatabase(const std::string& path, std::vector<uint8_t>& blob, std::string& error) {
    blob.clear();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        error = "cannot open the database";
        return false;
    }
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "SELECT * FROM [Project] WHERE ROWID = 1", -1, &rawStmt, nullptr) != SQLITE_OK) {
        error = "the database has no table \"Project\"";
        return false;
    }
    Stmt stmt(rawStmt);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) {
        error = "table \"Project\" has no row 1";
        return false;
    }
    int column = -1;
    for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i) {
        const char* name = sqlite3_column_name(stmt.get(), i);
        if (name && std::strcmp(name, "object") == 0) column = i;
    }
    if (column < 0) {
        error = "table \"Project\" has no column \"object\"";
        return false;
    }
    const void* data = sqlite3_column_blob(stmt.get(), column);
    const int size = sqlite3_column_bytes(stmt.get(), column);
    if (data == nullptr || size <= 0) {
        error = "the project object is empty";
        return false;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    blob.assign(p, p + size);
    return true;
}

bool writeSetupDatabase(const std::string& path, const std::vector<uint8_t>& blob, std::string& error) {
    std::remove(path.c_str());
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        error = "cannot create the database";
        return false;
    }
    if (sqlite3_exec(db.get(), "CREATE TABLE Project (object BLOB)", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = "cannot create table \"Project\"";
        return false;
    }
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "INSERT INTO Project (ROWID, object) VALUES (1, ?)", -1, &rawStmt, nullptr) !=
        SQLITE_OK) {
        error = "cannot prepare the insert";
        return false;
    }
    Stmt stmt(rawStmt);
    sqlite3_bind_blob(stmt.get(), 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
        error = "cannot store the project";
        return false;
    }
    return true;
}

bool decodeProject(const std::vector<uint8_t>& blob, Core& out, std::string& error) {
    Core project;
    const auto read = Marshal::readObject(blob, project);
    switch (read.fault) {
        case Marshal::SpanFault::empty: error = "the project is empty"; return false;
        case Marshal::SpanFault::tooLarge: error = "the project is too large"; return false;
        case Marshal::SpanFault::none: break;
    }
    if (read.status != Marshal::ok) {
        error = std::string("not a readable project (") + Marshal::toString(read.status) + ")";
        return false;
    }
    out = std::move(project);
    return true;
}

bool loadProjectFile(const std::string& path, Core& out, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!PFile::readFileBytes(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    if (isSqliteDatabase(bytes)) {
        std::vector<uint8_t> blob;
        if (!readSetupDatabase(path, blob, error)) return false;
        return decodeProject(blob, out, error);
    }
    return decodeProject(bytes, out, error);
}

bool encodeProject(const Core& project, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    error = project.unwritableReason();
    if (!error.empty()) return false;
    Marshal::ByteStreamBuilder b;
    project.serialize(b);
    out = b.bytes();
    return true;
}

}  // namespace Project
