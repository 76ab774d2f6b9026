// The tester's databases are read as untrusted files: every malformed one fails cleanly.

#include "core/SqliteFixtures.h"
#include "tester/TesterFixture.h"
#include "tester/db/MasterTbl.h"
#include "tester/db/SummaryTbl.h"

using namespace Kestrix::Tester;
using kx::test::makeDb;

namespace {

class SqliteTblTest : public ::testing::Test {
protected:
    void SetUp() override { dir = kx::test::freshFolder("sqlite"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

// A cell's text, or "!" and the error of a cell that throws.
template <typename Read>
std::string cell(Read read) {
    try {
        return read();
    } catch (const SQLiteTblError& e) {
        return std::string("!") + e.what();
    }
}

// The current row's key and name.
std::string cellsOf(const SummaryTbl& t) {
    return cell([&] { return std::to_string(t.key()); }) + "|" + cell([&] { return t.name(); });
}

// Walking and finding rows: EveryRowAndNoMoreForEachTableSize.
TEST_F(SqliteTblTest, ProjectColumnsUnknownColumnsAndAClosedTable) {
    makeDb(path("master.sql"), std::string(kx::test::kMasterSchema) +
                                   kx::test::insertProject("Alpha", "alpha", "1", "") +
                                   kx::test::insertProject("Beta site", "beta site", "2", "1") +
                                   kx::test::insertProject("Gamma", "gamma", "3", ""));
    MasterTbl t;
    ASSERT_EQ(t.Open(path("master.sql")), 0);
    ASSERT_TRUE(t.Find("quarnId", "2"));
    EXPECT_EQ(t.dirName(), "beta site");
    EXPECT_EQ(t.parentQuarnId(), "1");
    EXPECT_FALSE(t.Find("quarnId", "9"));
    EXPECT_FALSE(t.Find("noSuchColumn", "1"));
    t.Close();
    EXPECT_EQ(t.RowCount(), 0);
    EXPECT_THROW(t.name(), SQLiteTblError);
}

// Tables of 0 to 3 rows: every row is reached once, in order, by walking, by number and by value, and no
// move goes past either end.
TEST_F(SqliteTblTest, EveryRowAndNoMoreForEachTableSizeAndIntegerColumns) {
    for (int n = 0; n <= 3; ++n) {
        std::string sql = kx::test::kResultsSchema;
        for (int i = 0; i < n; ++i) {
            kx::test::ResultRow r;
            r.key = 10 + i;
            r.name = "R" + std::to_string(i);
            sql += kx::test::insertResult(r);
        }
        makeDb(path("rows.sql"), sql);
        SummaryTbl t;
        ASSERT_EQ(t.Open(path("rows.sql")), 0) << n;
        EXPECT_EQ(t.RowCount(), n);
        std::vector<std::string> walked;
        for (bool row = t.MoveFirst(); row; row = t.MoveNext()) walked.push_back(t.name());
        std::vector<std::string> want;
        for (int i = 0; i < n; ++i) want.push_back("R" + std::to_string(i));
        EXPECT_EQ(walked, want) << n;
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(t.Move(i)) << n;
            EXPECT_EQ(t.key(), 10 + i) << n;
            ASSERT_TRUE(t.Find("key", int64_t{10 + i})) << n;
            EXPECT_EQ(t.currentRow(), i) << n;
            ASSERT_TRUE(t.Find("name", want[static_cast<size_t>(i)])) << n;
            EXPECT_EQ(t.key(), 10 + i) << n;
        }
        EXPECT_FALSE(t.Move(n)) << n;
        EXPECT_FALSE(t.Move(-1)) << n;
        EXPECT_FALSE(t.Find("key", int64_t{10 + n})) << n;
        if (n > 0) {
            ASSERT_TRUE(t.Move(n - 1));
            EXPECT_FALSE(t.MoveNext()) << n;
            EXPECT_EQ(t.name(), want.back()) << n;  // a failed move stays on the last row
        }
    }
    // Integer columns wider than 32 bits, found by number.
    kx::test::ResultRow a, b;
    b.key = 7;
    b.name = "CAB-007";
    b.lengthScaledValue = -5000000000LL;  // wider than 32 bits survives
    makeDb(path("project.sql"),
           std::string(kx::test::kResultsSchema) + kx::test::insertResult(a) + kx::test::insertResult(b));
    SummaryTbl t;
    ASSERT_EQ(t.Open(path("project.sql")), 0);
    ASSERT_TRUE(t.Find("key", int64_t{7}));
    EXPECT_EQ(t.name(), "CAB-007");
    EXPECT_EQ(t.lengthScaledValue(), -5000000000LL);
    EXPECT_FALSE(t.Find("name", int64_t{7}));  // a text column never equals a number
}

TEST_F(SqliteTblTest, FilesThatAreNotTheTableFailOpenAndViewsOrComputedCellsAreNotRun) {
    SummaryTbl t;
    EXPECT_EQ(t.Open(path("missing.sql")), SQLiteTbl::kNotADatabase);
    // Garbage, empty and other tables: BytesInMemoryReadLikeTheFile.
    makeDb(path("short.sql"), "CREATE TABLE Results(key INTEGER, timestamp INTEGER, type INTEGER, name TEXT);");
    EXPECT_EQ(t.Open(path("short.sql")), SQLiteTbl::kNoColumn);
    EXPECT_NE(t.lastError().find("status"), std::string::npos) << t.lastError();
    EXPECT_FALSE(t.isOpen());
    // A view of the right name could compute anything; only a real table is read.
    makeDb(path("view.sql"),
           "CREATE TABLE t(a); CREATE VIEW Projects AS SELECT 'n' AS name, 'd' AS dirName, "
           "'q' AS quarnId, '' AS parentQuarnId FROM t;");
    MasterTbl master;
    EXPECT_NE(master.Open(path("view.sql")), 0);
    // A few kilobytes of schema that would hand out megabytes per row, computed on each read.
    std::string sql =
        "CREATE TABLE Results(key INTEGER, timestamp INTEGER, type INTEGER, name TEXT GENERATED ALWAYS AS "
        "(printf('%.*c', 2000000, 'x')) VIRTUAL, status INTEGER, fileSize INTEGER, fileName TEXT, "
        "lengthScaledValue INTEGER, lengthScaleFactor INTEGER);";
    for (int i = 0; i < 3; ++i) sql += "INSERT INTO Results(key) VALUES(" + std::to_string(i) + ");";
    makeDb(path("generated.sql"), sql);
    EXPECT_EQ(t.Open(path("generated.sql")), SQLiteTbl::kRefused);
    EXPECT_NE(t.lastError().find("generated"), std::string::npos) << t.lastError();
    EXPECT_EQ(t.RowCount(), 0);
}

TEST_F(SqliteTblTest, NullAndMistypedCellsThrowFromTheirColumnOnly) {
    makeDb(path("cells.sql"), std::string(kx::test::kResultsSchema) +
                                  "INSERT INTO Results VALUES(1, NULL, 1, 'a', 4, 10, 'f', 'long', 1);"
                                  "INSERT INTO Results VALUES(2, 5, 1, X'0102', 4, 10, 'f', 1.5, X'00');");
    SummaryTbl t;
    ASSERT_EQ(t.Open(path("cells.sql")), 0);
    ASSERT_TRUE(t.MoveFirst());
    EXPECT_EQ(t.key(), 1);
    EXPECT_THROW(t.timestamp(), SQLiteTblError);
    EXPECT_THROW(t.lengthScaledValue(), SQLiteTblError);
    EXPECT_EQ(t.name(), "a");
    ASSERT_TRUE(t.MoveNext());
    EXPECT_THROW(t.name(), SQLiteTblError);  // a blob where text belongs
    EXPECT_THROW(t.lengthScaledValue(), SQLiteTblError);
    EXPECT_EQ(cell([&] { return std::to_string(t.lengthScaleFactor()); }),
              "!table \"Results\" row 1: column \"lengthScaleFactor\" has the wrong type");
}

TEST_F(SqliteTblTest, RowsAndCellsAreBoundedAndTheTableSaysHowManyItHolds) {
    // A stored name far longer than any name ends the reading there; the rows before it are kept.
    kx::test::ResultRow a, huge, c;
    huge.key = 2;
    huge.name = std::string(20000, 'x');
    c.key = 3;
    makeDb(path("long.sql"), std::string(kx::test::kResultsSchema) + kx::test::insertResult(a) +
                                 kx::test::insertResult(huge) + kx::test::insertResult(c));
    SummaryTbl t;
    ASSERT_EQ(t.Open(path("long.sql")), 0);
    EXPECT_EQ(t.RowCount(), 1);
    EXPECT_TRUE(t.truncated());
    EXPECT_EQ(t.announcedRows(), 3);
    EXPECT_FALSE(t.truncationReason().empty());

    // More projects than a tester holds: the table is read up to the bound and says how many there were.
    makeDb(path("many.sql"), std::string(kx::test::kMasterSchema) +
                                 "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 10005) "
                                 "INSERT INTO Projects SELECT 'P' || x, 'p' || x, x, '' FROM n;");
    MasterTbl m;
    ASSERT_EQ(m.Open(path("many.sql")), 0);
    EXPECT_EQ(m.RowCount(), 10000);
    EXPECT_TRUE(m.truncated());
    EXPECT_EQ(m.truncationReason(), "more than 10000 rows");
    EXPECT_EQ(m.announcedRows(), 10005);
}

// A database handed over in memory reads exactly as the same bytes in a file: same result, same rows.
TEST_F(SqliteTblTest, BytesInMemoryReadLikeTheFile) {
    std::string sql = kx::test::kResultsSchema;
    for (int i = 0; i < 40; ++i) {
        kx::test::ResultRow r;
        r.key = i;
        r.name = "CAB-" + std::to_string(i);
        sql += kx::test::insertResult(r);
    }
    makeDb(path("full.sql"), "BEGIN;" + sql + "COMMIT;");
    makeDb(path("other.sql"), kx::test::kMasterSchema);
    const auto full = kx::test::readHostFile(dir / "full.sql");
    auto damaged = full;
    for (size_t i = 4096; i < damaged.size(); i += 61) damaged[i] ^= 0x5A;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int expected;  // of Open; -9 when it may read or fail, as long as both agree
    } cases[] = {
        {"whole", full, SQLiteTbl::kOpened},
        {"garbage", kx::test::randomBytes(4096, 3), SQLiteTbl::kNotADatabase},
        {"empty", {}, SQLiteTbl::kNoTable},
        {"other table", kx::test::readHostFile(dir / "other.sql"), SQLiteTbl::kNoTable},
        {"first page", std::vector<uint8_t>(full.begin(), full.begin() + 4096), -9},
        {"damaged pages", damaged, -9},
    };
    for (const auto& c : cases) {
        kx::test::writeBytes(dir / "case.sql", c.bytes);
        SummaryTbl fromFile, fromMemory;
        const int rc = fromFile.Open(path("case.sql"));
        if (c.expected != -9) {
            EXPECT_EQ(rc, c.expected) << c.what;
        }
        EXPECT_EQ(fromMemory.openBytes(c.bytes.data(), c.bytes.size()), rc) << c.what;
        ASSERT_EQ(fromMemory.RowCount(), fromFile.RowCount()) << c.what;
        EXPECT_EQ(fromMemory.truncated(), fromFile.truncated()) << c.what;
        for (int row = 0; row < fromFile.RowCount(); ++row) {
            fromFile.Move(row);
            fromMemory.Move(row);
            EXPECT_EQ(cellsOf(fromMemory), cellsOf(fromFile)) << c.what << " row " << row;
        }
    }
}

}  // namespace
