// Seeds of the setups exchange: a settings file, a project setup file and a master database.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "SeedRegistry.h"
#include "common/InstrumentSettingsFile.h"
#include "common/PFile.h"
#include "storage/ProjectBuilders.h"
#include "storage/ProjectSetupFile.h"

namespace {

std::vector<uint8_t> withSelector(uint8_t selector, std::vector<uint8_t> bytes) {
    bytes.insert(bytes.begin(), selector);
    return bytes;
}

// A database made in a temporary file by `make`, as bytes.
template <typename Make>
std::vector<uint8_t> databaseBytes(Make make) {
    std::string path = (std::filesystem::temp_directory_path() / "kestrix-seed-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return {};
    ::close(fd);
    std::vector<uint8_t> bytes;
    if (make(path)) PFile::readFileBytes(path, bytes);
    std::remove(path.c_str());
    return bytes;
}

kx::fuzz::SeedRegistration settings("fuzz_tester_setups", "settings", [] {
    return withSelector(0, Kestrix::InstrumentSettingsFile::write(kx::test::sampleInstrumentSettings()));
});
kx::fuzz::SeedRegistration project("fuzz_tester_setups", "project-setup", [] {
    return withSelector(1, databaseBytes([](const std::string& path) {
                            std::string error;
                            std::vector<uint8_t> bytes;
                            return Project::encodeProject(kx::test::sampleProject(), bytes, error) &&
                                   Project::writeSetupDatabase(path, bytes, error);
                        }));
});
kx::fuzz::SeedRegistration master("fuzz_tester_setups", "master", [] {
    return withSelector(2, databaseBytes([](const std::string& path) {
                            sqlite3* db = nullptr;
                            bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                                      sqlite3_exec(db,
                                                   "CREATE TABLE Projects (name TEXT, dirName TEXT, quarnId TEXT, "
                                                   "parentQuarnId TEXT);"
                                                   "INSERT INTO Projects VALUES ('Main', 'Main', 'q1', '');"
                                                   "INSERT INTO Projects VALUES ('Site A', 'Site A', 'q2', 'q1');",
                                                   nullptr, nullptr, nullptr) == SQLITE_OK;
                            sqlite3_close(db);
                            return ok;
                        }));
});
kx::fuzz::SeedRegistration names("fuzz_tester_setups", "names", [] {
    const std::string text = "ab.c \"%*./:;<>?\\| \xC3\xA9\xE2\x82\xAC\xFF";
    return withSelector(3, std::vector<uint8_t>(text.begin(), text.end()));
});

}  // namespace
