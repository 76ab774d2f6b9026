#include "storage/ProjectSetupFile.h"

#include <sqlite3.h>

#include "common/PFile.h"
#include "core/TestFiles.h"
#include "storage/StorageTesting.h"

namespace {
std::string tempPath(const std::string& name) { return (kx::test::freshFolder("project") / name).string(); }
}  // namespace

TEST(ProjectSetupFile, BlobAndDatabaseReadBack) {
    const Core p = kx::test::sampleProject();
    const std::string blob = tempPath("a.blob");
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(encodeProject(p, bytes, error)) << error;
    ASSERT_TRUE(PFile::writeFileBytes(blob, bytes));
    Core back;
    ASSERT_TRUE(loadProjectFile(blob, back, error)) << error;
    EXPECT_TRUE(back.equals(p));

    const std::string db = tempPath("a.sql");
    ASSERT_TRUE(writeSetupDatabase(db, bytes, error)) << error;
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
    ASSERT_EQ(
        sqlite3_exec(h, "DROP TABLE Project; CREATE TABLE Project (other BLOB); INSERT INTO Project VALUES (x'01')",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(h);
    EXPECT_FALSE(loadProjectFile(db, back, error));
    EXPECT_EQ(error, "table \"Project\" has no column \"object\"");

    EXPECT_FALSE(loadProjectFile(tempPath("missing"), back, error));
}

// The reader refuses a core text of 200 bytes or more, so such a project is refused before it is written:
// 67 three-byte characters are 201 bytes although a user sees 67 characters.
TEST(ProjectSetupFile, TextsThatWouldNotReadBackAreRefusedOnWriting) {
    std::string japanese;
    for (int i = 0; i < 67; ++i) japanese += "\xE6\x97\xA5";
    const std::pair<std::string Core::*, const char*> fields[] = {{&Core::name, "name"},
                                                                  {&Core::operatorName, "operatorName"},
                                                                  {&Core::parentQuarnId, "parentQuarnId"},
                                                                  {&Core::end1Name, "end1Name"},
                                                                  {&Core::end2Name, "end2Name"}};
    Core p = kx::test::sampleProject();
    for (const auto& [field, label] : fields) p.*field = std::string(199, 'x');
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(encodeProject(p, bytes, error)) << error;
    Core back;
    ASSERT_TRUE(decodeProject(bytes, back, error)) << error;
    EXPECT_TRUE(back.equals(p));
    for (const auto& [field, label] : fields) {
        Core wide = p;
        wide.*field = japanese;
        EXPECT_FALSE(encodeProject(wide, bytes, error)) << label;
        EXPECT_TRUE(bytes.empty());
        EXPECT_EQ(error, std::string("the project's ") + label + " is 201 bytes long; at most 199 bytes can be stored");
    }
    p.quarnId.assign(0x10000, 'q');
    EXPECT_FALSE(encodeProject(p, bytes, error));
    EXPECT_NE(error.find("quarnId is 65536 bytes long"), std::string::npos) << error;
}
