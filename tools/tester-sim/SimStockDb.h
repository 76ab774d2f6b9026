#pragma once
// Just enough of the SQLite C API for the simulator's own databases; every failure throws
// std::runtime_error naming the database and SQLite's message.
#include <cstdint>
#include <filesystem>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace Kestrix::Sim {

class SimDb {
public:
    explicit SimDb(const std::filesystem::path& path);  // opens, creating the file when missing
    ~SimDb();
    SimDb(const SimDb&) = delete;
    SimDb& operator=(const SimDb&) = delete;

    void exec(const std::string& sql);
    sqlite3* handle() const { return _db; }
    [[noreturn]] void fail(const std::string& what) const;

private:
    sqlite3* _db = nullptr;
    std::string _name;
};

class SimStatement {
public:
    SimStatement(SimDb& db, const std::string& sql);
    ~SimStatement();
    SimStatement(const SimStatement&) = delete;
    SimStatement& operator=(const SimStatement&) = delete;

    SimStatement& bind(int index, int64_t value);
    SimStatement& bind(int index, const std::string& text);
    // One step; true while a row is ready.
    bool step();
    // Runs a statement that returns no rows, then makes it ready for new values.
    void run();
    int64_t columnInt(int index) const;
    std::string columnText(int index) const;

private:
    SimDb& _db;
    sqlite3_stmt* _stmt = nullptr;
};

}  // namespace Kestrix::Sim
