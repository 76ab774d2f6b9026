// Master and project databases as the tester writes them (made in memory with SQLite itself).
#include <sqlite3.h>

#include <string>

#include "SeedRegistry.h"

namespace {

std::vector<uint8_t> database(uint8_t selector, const char* sql) {
    std::vector<uint8_t> out{selector};
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK || sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
    if (bytes) out.insert(out.end(), bytes, bytes + size);
    sqlite3_free(bytes);
    sqlite3_close(db);
    return out;
}

kx::fuzz::SeedRegistration master("fuzz_tester_databases", "master", [] {
    return database(1,
                    "CREATE TABLE Projects(name TEXT, dirName TEXT, quarnId TEXT, parentQuarnId TEXT);"
                    "INSERT INTO Projects VALUES('Campus','campus','1','');"
                    "INSERT INTO Projects VALUES('Bldg B','bldg b','2','1');"
                    "INSERT INTO Projects VALUES('Bad',NULL,'3','');");
});
kx::fuzz::SeedRegistration project("fuzz_tester_databases", "project", [] {
    return database(0,
                    "CREATE TABLE Results(key INTEGER, timestamp INTEGER, type INTEGER, name TEXT, status INTEGER,"
                    " fileSize INTEGER, fileName TEXT, lengthScaledValue INTEGER, lengthScaleFactor INTEGER);"
                    "INSERT INTO Results VALUES(1,1700000000,1,'CAB-1',4,1000,'r1.result',1234,1);"
                    "INSERT INTO Results VALUES(2,1700000100,1,'CAB-2',64,900,'r2.result',2147483649,1);"
                    "INSERT INTO Results VALUES(3,1700000200,1,X'00',64,900,'r3.result','x',99999999999);");
});

}  // namespace
