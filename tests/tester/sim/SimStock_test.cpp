// The stocked tester: its databases agree with its result files, and an existing tester is left alone (what the
// results hold is checked by the physics tests).

#include <map>
#include <set>

#include "SimStock.h"
#include "common/ResultEnvelope.h"
#include "core/SqliteFixtures.h"
#include "tester/SimTestClient.h"

namespace fs = std::filesystem;

namespace {

struct Row {
    int64_t timestamp, type;
    std::string name;
    int64_t status, fileSize;
    std::string fileName;
    int64_t lengthScaledValue;
    bool operator==(const Row&) const = default;
};

std::vector<Row> results(const fs::path& db) {
    std::vector<Row> rows;
    for (const auto& t :
         kx::test::textRows(db,
                            "SELECT timestamp, type, name, status, fileSize, fileName, lengthScaledValue "
                            "FROM Results ORDER BY key"))
        rows.push_back(
            {std::stoll(t[0]), std::stoll(t[1]), t[2], std::stoll(t[3]), std::stoll(t[4]), t[5], std::stoll(t[6])});
    return rows;
}

fs::path projectsOf(const fs::path& root) { return root / "microsd_userdata" / "projects"; }

// Every row of every project, keyed by project folder.
std::map<std::string, std::vector<Row>> allRows(const fs::path& root) {
    std::map<std::string, std::vector<Row>> out;
    for (const auto& p : kx::test::textRows(projectsOf(root) / "master.sql", "SELECT dirName FROM Projects")) {
        out[p[0]] = results(projectsOf(root) / p[0] / "project.sql");
    }
    return out;
}

std::vector<uint8_t> bytesOf(const fs::path& p) {
    std::vector<uint8_t> b;
    EXPECT_TRUE(PFile::readFileBytes(p.string(), b)) << p;
    return b;
}

}  // namespace

// Generated results spread over the projects, agree with their rows and repeat with the seed; stocking an
// existing tester leaves it as it is.
TEST(SimStock, ProjectsSitesOrphansAndGeneratedResults) {
    const fs::path base = kx::test::freshFolder("generated");
    const fs::path root = base / "a";
    EXPECT_TRUE(Kestrix::Sim::wantsStock(base / "missing"));
    EXPECT_TRUE(Kestrix::Sim::wantsStock(base));
    Kestrix::Sim::stockTester(root, {.extraRecords = 40, .seed = 7});
    Kestrix::Sim::stockTester(base / "b", {.extraRecords = 40, .seed = 7});
    // Projects with a site and an orphan site, each with its database.
    const auto projects = kx::test::textRows(projectsOf(root) / "master.sql",
                                             "SELECT name, dirName, quarnId, parentQuarnId FROM Projects");
    ASSERT_GE(projects.size(), 4u);
    std::map<std::string, std::string> idOf;
    for (const auto& r : projects) idOf[r[2]] = r[0];
    int sites = 0;
    int orphans = 0;
    bool spaced = false;
    for (const auto& r : projects) {
        EXPECT_TRUE(fs::is_regular_file(projectsOf(root) / r[1] / "project.sql")) << r[1];
        spaced = spaced || r[1].find(' ') != std::string::npos;
        if (r[3].empty()) continue;
        ++(idOf.count(r[3]) ? sites : orphans);
    }
    EXPECT_GE(sites, 1);
    EXPECT_GE(orphans, 1);
    EXPECT_TRUE(spaced);
    EXPECT_TRUE(fs::is_directory(root / "tmp"));
    EXPECT_TRUE(fs::is_directory(root / "var" / "log"));
    const auto a = allRows(root);
    const auto b = allRows(base / "b");
    size_t generated = 0;
    std::set<int64_t> sizes;
    for (const auto& [dir, rows] : a) {
        size_t here = 0;
        // Every row, stocked or generated, agrees with its file.
        for (const auto& r : rows) {
            if (r.name.rfind("GEN-", 0) == 0) {
                ++here;
                sizes.insert(r.fileSize);
            }
            const auto bytes = bytesOf(projectsOf(root) / dir / r.fileName);
            Kestrix::ResultSummary s;
            ASSERT_EQ(Kestrix::readResultSummary(s, bytes.data(), static_cast<uint32_t>(bytes.size())),
                      Kestrix::ResultReaderStatus::success);
            EXPECT_EQ(s.resultName, r.name);
            EXPECT_EQ(static_cast<int64_t>(s.resultType), r.type);
            EXPECT_EQ(s.timeStamp, r.timestamp);
            EXPECT_EQ(static_cast<int64_t>(s.status), r.status);
            // The card keeps the length's raw 32 bits (an unknown length as 0x80000001).
            EXPECT_EQ(static_cast<uint32_t>(s.length.value.value), static_cast<uint32_t>(r.lengthScaledValue));
            EXPECT_EQ(static_cast<int64_t>(bytes.size()), r.fileSize);
        }
        EXPECT_GE(here, 1u) << dir;
        generated += here;
        EXPECT_TRUE(b.at(dir) == rows) << dir;
    }
    EXPECT_EQ(generated, 40u);
    EXPECT_GE(sizes.size(), 3u);  // several kinds of file, not one copied forty times

    // A tester in use: one result deleted, one marked uploaded. Stocking again changes nothing.
    EXPECT_FALSE(Kestrix::Sim::wantsStock(root));
    const fs::path harbor = projectsOf(root) / "Harbor DC 2026";
    const auto before = results(harbor / "project.sql");
    fs::remove(harbor / before.front().fileName);
    const auto master = bytesOf(projectsOf(root) / "master.sql");
    Kestrix::Sim::stockTester(root, {.extraRecords = 5});
    EXPECT_FALSE(fs::exists(harbor / before.front().fileName));
    EXPECT_EQ(bytesOf(projectsOf(root) / "master.sql"), master);
    EXPECT_EQ(results(harbor / "project.sql").size(), before.size());
    fs::remove_all(base);
}
