#include "storage/ProjectSetupFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sqlite3.h>

#include "common/PFile.h"
#include "storage/ProjectBuilders.h"

using namespace Project;

namespace {
std::string tempPath(const std::string& name) {
    const char* dir = std::getenv("KESTRIX_TEST_TMP");
    std::filesystem::path p = dir ? dir : std::filesystem::temp_directory_path().string();
    std::filesystem::create_directories(p);
    return (p / ("project_" + name)).string();
}
}  // namespace

TEST(ProjectSetupFile, BlobAndDatabaseReadBack) {
    const Core p = kx::support::sampleProject();
    const std::string blob = tempPath("a.blob");
    ASSERT_TRUE(PFile::writeFileBytes(blob, encodeProject(p)));
    Core back;
    std::string error;
    ASSERT_TRUE(loadProjectFile(blob, back, error)) << error;
    EXPECT_TRUE(back.equals(p));

    const std::string db = tempPath("a.sql");
    ASSERT_TRUE(writeSetupDatabase(db, encodeProject(p), error)) << error;
    Core fromDb;
    ASSERT_TRUE(loadProjectFile(db, fromDb, error)) << error;
    EXPECT_TRUE(fromDb.equals(p));
}

TEST(ProjectSetupFile, DatabaseProblemsAreReported) {
    const std::string db = tempPath("b.sql");
    std::string error;
    Core back;
    ASSERT_TRUE(writeSetupDatabase(db, {0xCD, 0xAB, 1}, error));
    EXPECT_FALSE(loadProjectFile(db, back, error));
    EXPECT_NE(error.find("not a readable project"), std::string::npos) << error;

    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(h, "UPDATE Project SET object = NULL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(h);
    EXPECT_FALSE(loadProjectFile(db, back, error));
    EXPECT_EQ(error, "the project object is empty");

    ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(h, "DROP TABLE Project; CREATE TABLE Project (other BLOB); INSERT INTO Project VALUES (x'01')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(h);
    EXPECT_FALSE(loadProjectFile(db, back, error));
    EXPECT_EQ(error, "table \"Project\" has no column \"object\"");

    EXPECT_FALSE(loadProjectFile(tempPath("missing"), back, error));
}
