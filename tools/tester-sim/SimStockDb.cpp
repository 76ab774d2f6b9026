#include "SimStockDb.h"

#include <sqlite3.h>

#include <stdexcept>

namespace Kestrix::Sim {

SimDb::SimDb(const std::filesystem::path& path) : _name(path.filename().string()) {
    if (sqlite3_open_v2(path.c_str(), &_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string why = _db != nullptr ? sqlite3_errmsg(_db) : "out of memory";
        sqlite3_close(_db);
        _db = nullptr;
        throw std::runtime_error("cannot open " + path.string() + ": " + why);
    }
    sqlite3_busy_timeout(_db, 2000);
}

SimDb::~SimDb() { sqlite3_close(_db); }

void SimDb::fail(const std::string& what) const {
    throw std::runtime_error(_name + ": " + what + ": " + sqlite3_errmsg(_db));
}

void SimDb::exec(const std::string& sql) {
    if (sqlite3_exec(_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(sql.substr(0, 40));
    }
}

SimStatement::SimStatement(SimDb& db, const std::string& sql) : _db(db) {
    if (sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &_stmt, nullptr) != SQLITE_OK) {
        db.fail(sql.substr(0, 40));
    }
}

SimStatement::~SimStatement() { sqlite3_finalize(_stmt); }

SimStatement& SimStatement::bind(int index, int64_t value) {
    if (sqlite3_bind_int64(_stmt, index, value) != SQLITE_OK) _db.fail("bind");
    return *this;
}

SimStatement& SimStatement::bind(int index, const std::string& text) {
    if (sqlite3_bind_text(_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
        _db.fail("bind");
    }
    return *this;
}

bool SimStatement::step() {
    const int rc = sqlite3_step(_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) _db.fail("step");
    return false;
}

void SimStatement::run() {
    while (step()) {
    }
    sqlite3_reset(_stmt);
    sqlite3_clear_bindings(_stmt);
}

int64_t SimStatement::columnInt(int index) const { return sqlite3_column_int64(_stmt, index); }

std::string SimStatement::columnText(int index) const {
    const auto* text = sqlite3_column_text(_stmt, index);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace Kestrix::Sim
