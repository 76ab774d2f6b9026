// Copper limit databases: the sample limits stored as the database stores them (compressed, with their
// original sizes), made in memory with SQLite itself; one with a NULL object and a limit without maximum.
#include <sqlite3.h>
#include <zlib.h>

#include <string>

#include "SeedRegistry.h"
#include "copper/CopperBuilders.h"
#include "copper/LimitDbBuilders.h"
#include "serialization/ByteStreamBuilder.h"

namespace {

std::vector<uint8_t> database(size_t limits, bool damaged) {
    std::vector<uint8_t> out;
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK ||
        sqlite3_exec(db,
                     "CREATE TABLE CopperObjects (key INTEGER PRIMARY KEY, type INTEGER, name TEXT, "
                     "maxFreq INTEGER, object BLOB, origSize INTEGER)",
                     nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO CopperObjects VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    const auto all = kx::test::limitDbLimits();
    for (size_t i = 0; i < limits && i < all.size(); ++i) {
        Marshal::ByteStreamBuilder w;
        all[i].serialize(w);
        const std::vector<uint8_t> plain = w.bytes();
        uLongf packedLen = compressBound(static_cast<uLong>(plain.size()));
        std::vector<uint8_t> packed(packedLen);
        compress2(packed.data(), &packedLen, plain.data(), static_cast<uLong>(plain.size()), 9);
        sqlite3_reset(st);
        sqlite3_bind_int64(st, 1, static_cast<sqlite3_int64>(i + 1));
        sqlite3_bind_int64(st, 2, static_cast<sqlite3_int64>(all[i].mediaType));
        sqlite3_bind_text(st, 3, all[i].name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 4, damaged && i == 1 ? 0 : all[i].maxFreqKHz);
        if (damaged && i == 2)
            sqlite3_bind_null(st, 5);
        else
            sqlite3_bind_blob(st, 5, packed.data(), static_cast<int>(packedLen), SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 6, static_cast<sqlite3_int64>(plain.size()));
        sqlite3_step(st);
    }
    sqlite3_finalize(st);
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
    if (bytes) out.assign(bytes, bytes + size);
    sqlite3_free(bytes);
    sqlite3_close(db);
    return out;
}

// The target's input: the result file's length (4 bytes, little-endian), the result, the database.
std::vector<uint8_t> withResult(const std::vector<uint8_t>& db) {
    const std::vector<uint8_t> result = kx::test::cat6AResultFile();
    const auto n = static_cast<uint32_t>(result.size());
    std::vector<uint8_t> out{static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                             static_cast<uint8_t>(n >> 24)};
    out.insert(out.end(), result.begin(), result.end());
    out.insert(out.end(), db.begin(), db.end());
    return out;
}

const kx::fuzz::SeedRegistration s1("fuzz_tester_copper_limit_db", "culim",
                                    [] { return withResult(database(8, false)); });
const kx::fuzz::SeedRegistration s2("fuzz_tester_copper_limit_db", "damaged",
                                    [] { return withResult(database(4, true)); });

}  // namespace
