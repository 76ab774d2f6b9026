#include "tester/db/CopperLimitsTbl.h"

#include <sqlite3.h>
#include <zlib.h>

#include <filesystem>
#include <limits>
#include <memory>

#include "serialization/ByteStreamBuilder.h"

namespace Kestrix::Tester {

CopperLimitsTbl::CopperLimitsTbl()
    : SQLiteTbl("CopperObjects", {{SQLiteColumnType::Int64, "key"},
                                  {SQLiteColumnType::Int64, "type"},
                                  {SQLiteColumnType::Text, "name"},
                                  {SQLiteColumnType::Int64, "maxFreq"},
                                  {SQLiteColumnType::Blob, "object"},
                                  {SQLiteColumnType::Int64, "origSize"}}) {}

std::string CopperLimitsTbl::pathIn(const std::string& folder) {
    return (std::filesystem::path(folder) / kFileName).string();
}

bool CopperLimitsTbl::openLimit(CopperLimit& out, std::string* reason) const {
    auto refuse = [reason](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    try {
        const std::string& blob = object();
        const int64_t size = origSize();
        if (blob.empty()) return refuse("the limit object is empty");
        if (blob.size() > kMaxObjectBytes) return refuse("the limit object is too large");
        if (size > static_cast<int64_t>(std::numeric_limits<int>::max()))
            return refuse("the limit's original size is out of range");
        CopperLimit limit;
        const auto st = limit.open(reinterpret_cast<const uint8_t*>(blob.data()), static_cast<int>(blob.size()),
                                   static_cast<int>(size < 0 ? 0 : size));
        if (st != Marshal::ok) return refuse("the limit object does not decode");
        out = std::move(limit);
        return true;
    } catch (const SQLiteTblError& e) {
        return refuse(e.what());
    }
}

bool CopperLimitsTbl::openFirstLimit(CopperLimit& out, std::string* reason) {
    for (bool row = MoveFirst(); row; row = MoveNext()) {
        try {
            if (origSize() <= 0) continue;
        } catch (const SQLiteTblError& e) {
            if (reason) *reason = e.what();
            return false;
        }
        return openLimit(out, reason);
    }
    if (reason) *reason = "no stored limit";
    return false;
}

CopperLimitsTbl::Row CopperLimitsTbl::rowOf(int64_t key, const CopperLimit& limit) {
    Marshal::ByteStreamBuilder w;
    limit.serialize(w);
    const std::vector<uint8_t> plain = w.bytes();
    uLongf packedLen = compressBound(static_cast<uLong>(plain.size()));
    std::vector<uint8_t> packed(packedLen);
    Row row;
    row.key = key;
    row.type = static_cast<int64_t>(limit.mediaType);
    row.name = limit.getName();
    row.maxFreq = limit.getMaxFreqKHz();
    if (compress2(packed.data(), &packedLen, plain.data(), static_cast<uLong>(plain.size()), Z_BEST_COMPRESSION) ==
        Z_OK) {
        packed.resize(packedLen);
        row.object = std::move(packed);
        row.origSize = static_cast<int64_t>(plain.size());
    }
    return row;
}

std::vector<uint8_t> CopperLimitsTbl::writeDatabase(const std::vector<Row>& rows) {
    sqlite3* raw = nullptr;
    if (sqlite3_open(":memory:", &raw) != SQLITE_OK) {
        sqlite3_close(raw);
        return {};
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, &sqlite3_close);
    if (sqlite3_exec(db.get(),
                     "CREATE TABLE CopperObjects (key INTEGER PRIMARY KEY, type INTEGER, name TEXT, maxFreq INTEGER, "
                     "object BLOB, origSize INTEGER)",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        return {};
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "INSERT INTO CopperObjects VALUES (?, ?, ?, ?, ?, ?)", -1, &rawStmt, nullptr) !=
        SQLITE_OK)
        return {};
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(rawStmt, &sqlite3_finalize);
    for (const Row& r : rows) {
        sqlite3_reset(stmt.get());
        sqlite3_bind_int64(stmt.get(), 1, r.key);
        sqlite3_bind_int64(stmt.get(), 2, r.type);
        sqlite3_bind_text(stmt.get(), 3, r.name.c_str(), static_cast<int>(r.name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(stmt.get(), 4, r.maxFreq);
        if (r.object)
            sqlite3_bind_blob(stmt.get(), 5, r.object->data(), static_cast<int>(r.object->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(stmt.get(), 5);
        sqlite3_bind_int64(stmt.get(), 6, r.origSize);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE) return {};
    }
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db.get(), "main", &size, 0);
    if (bytes == nullptr) return {};
    std::vector<uint8_t> out(bytes, bytes + size);
    sqlite3_free(bytes);
    return out;
}

}  // namespace Kestrix::Tester
