// kestrix import against a freshly stocked simulated tester: what lands on disk, and what faults leave.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include <json/reader.h>
#include <sqlite3.h>

#include "Command.h"
#include "ImportOutput.h"
#include "ImportRun.h"
#include "SimStock.h"
#include "TesterSim.h"
#include "common/PFile.h"
#include "core/TestFiles.h"

using namespace kx::cli;
namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Json::Value readJson(const fs::path& p) {
    Json::Value v;
    std::string errors;
    std::istringstream in(readText(p));
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &v, &errors)) << p << errors;
    return v;
}

std::set<std::string> filesUnder(const fs::path& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), dir).string());
    return out;
}

// Keys in an upload list the tester received.
std::vector<int32_t> uploadedKeys(const fs::path& file) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(PFile::readFileBytes(file.string(), bytes));
    PFile::MemReader r;
    PFile::Section s;
    std::vector<int32_t> keys;
    if (r.open(bytes.data(), static_cast<int32_t>(bytes.size())) != 0 || r.read(s, true) != 0) return keys;
    for (uint32_t i = 0; i + 4 <= s.size(); i += 4) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v |= uint32_t(s.data()[i + static_cast<uint32_t>(b)]) << (8 * b);
        keys.push_back(static_cast<int32_t>(v));
    }
    return keys;
}

// "uploaded" of each row of a project database on the tester, by key (none when not marked at all).
std::map<int64_t, int64_t> uploadedFlags(const fs::path& projectDb) {
    std::map<int64_t, int64_t> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(projectDb.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT key, uploaded FROM Results", -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW) out[sqlite3_column_int64(st, 0)] = sqlite3_column_int64(st, 1);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

class ImportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        testerRoot = kx::test::freshFolder("tester");
        out = kx::test::freshFolder("out");
        Kestrix::Sim::stockTester(testerRoot, {});
        Kestrix::Sim::SimOptions o;
        o.root = testerRoot;
        sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
        sim->start();
    }
    void TearDown() override {
        sim->stop();
        fs::remove_all(testerRoot);
        fs::remove_all(out);
    }
    ImportReport run(bool mark = true, boost::optional<std::string> project = boost::none) {
        ImportOptions o;
        o.link.ip = sim->address();
        o.outDir = out.string();
        o.mark = mark;
        o.project = project;
        return runImport(o);
    }
    fs::path onTester(const std::string& testerFile) const {
        return testerRoot / "microsd_userdata/projects" / testerFile;
    }
    std::vector<std::string> marks() const {
        std::vector<std::string> m;
        for (const auto& line : sim->journal())
            if (line.rfind("smmarkuploaded", 0) == 0) m.push_back(line);
        return m;
    }

    fs::path testerRoot;
    fs::path out;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
};

TEST_F(ImportCommandTest, EveryRecordByteExactWithItsHostRecordAndIndex) {
    auto r = run();
    ASSERT_GE(r.records.size(), 10u);
    EXPECT_EQ(r.failed(), 0u);
    EXPECT_TRUE(r.marked);
    const Json::Value index = readJson(out / "index.json");
    ASSERT_EQ(index["records"].size(), r.records.size());
    std::set<std::string> names;
    for (const auto& e : index["records"]) {
        ASSERT_TRUE(e["imported"].asBool());
        const fs::path result = out / e["result"].asString();
        EXPECT_EQ(readText(result), readText(onTester(e["testerFile"].asString()))) << result;
        const Json::Value host = readJson(out / e["record"].asString());
        EXPECT_TRUE(host.isMember("RecordSummary")) << e["record"].asString();
        EXPECT_TRUE(names.insert(e["result"].asString()).second) << "two records share " << e["result"].asString();
        // Sites sit below their project.
        const std::string folder = e["site"].asString().empty()
                                       ? safeName(e["project"].asString())
                                       : safeName(e["project"].asString()) + "/" + safeName(e["site"].asString());
        EXPECT_EQ(fs::path(e["result"].asString()).parent_path().string(), folder);
    }
    EXPECT_FALSE(marks().empty());
    // Every record is marked in its own project database, sites included.
    for (const auto& rec : r.records) {
        const auto& sum = r.catalog.summaries[rec.index];
        const auto dir = sum.fileName.substr(0, sum.fileName.find('/'));
        EXPECT_EQ(uploadedFlags(onTester(dir + "/project.sql"))[sum.key], 1) << sum.fileName;
    }

    // A second run into the same folder leaves one copy of each record.
    const auto before = filesUnder(out);
    auto again = run(false);
    EXPECT_EQ(again.failed(), 0u);
    EXPECT_EQ(filesUnder(out), before);
}

TEST_F(ImportCommandTest, OneProjectOnly) {
    auto all = readCatalog({sim->address()});
    ASSERT_FALSE(all.summaries.empty());
    const std::string project = all.summaries.front().project;
    auto r = run(false, project);
    ASSERT_FALSE(r.records.empty());
    for (const auto& rec : r.records) EXPECT_EQ(r.catalog.summaries[rec.index].project, project);
    EXPECT_TRUE(marks().empty());  // --no-mark
}

TEST_F(ImportCommandTest, AMissingFileFailsThatRecordAloneAndIsNotMarked) {
    auto c = readCatalog({sim->address()});
    ASSERT_GE(c.summaries.size(), 3u);
    const auto& victim = c.summaries[1];
    fs::remove(onTester(victim.fileName));
    sim->clearJournal();
    auto r = run();
    ASSERT_EQ(r.failed(), 1u);
    for (const auto& rec : r.records) {
        if (!rec.ok) {
            EXPECT_EQ(r.catalog.summaries[rec.index].fileName, victim.fileName);
            EXPECT_EQ(rec.error, "Failed to read record.");
        }
    }
    bool named = false;
    for (const auto& m : r.messages) named |= m == victim.fileName + ": Failed to read record.";
    EXPECT_TRUE(named);
    const auto dir = victim.fileName.substr(0, victim.fileName.find('/'));
    EXPECT_EQ(uploadedFlags(onTester(dir + "/project.sql"))[victim.key], 0);
    // The list of the victim's project holds every key of it but the victim's.
    const auto m = marks();
    ASSERT_FALSE(m.empty());
    for (size_t i = 0; i < m.size(); ++i) {
        const auto keys = uploadedKeys(testerRoot / "tmp" / ("uplist" + std::to_string(i)));
        if (m[i].find("\"" + victim.keyProject + "\"") != std::string::npos) {
            EXPECT_EQ(std::count(keys.begin(), keys.end(), static_cast<int32_t>(victim.key)), 0);
        }
    }
}

TEST_F(ImportCommandTest, AFileThatCannotBeWrittenIsNotMarked) {
    auto c = readCatalog({sim->address()});
    std::vector<OutputRecord> planned;
    for (const auto& s : c.summaries) planned.push_back({s.project, s.site, s.id, s.fileName, s.key});
    ImportOutput plan(out);
    plan.plan(planned);
    // A folder where the first result file belongs: the rename onto it fails.
    fs::create_directories(out / plan.resultPath(0) / "x");
    auto r = run();
    ASSERT_EQ(r.failed(), 1u);
    EXPECT_FALSE(r.records[0].ok);
    const auto& first = c.summaries[0];
    const auto m = marks();
    for (size_t i = 0; i < m.size(); ++i)
        if (m[i].find("\"" + first.keyProject + "\"") != std::string::npos) {
            const auto keys = uploadedKeys(testerRoot / "tmp" / ("uplist" + std::to_string(i)));
            EXPECT_EQ(std::count(keys.begin(), keys.end(), static_cast<int32_t>(first.key)), 0);
        }
}

TEST_F(ImportCommandTest, ALostConnectionNamesTheRecordsNotFetchedAndKeepsTheRest) {
    Kestrix::Sim::SimFaults f;
    f.dropAfterScpBytes = 200000;  // after the databases, inside the results
    f.refuseLogin = false;
    sim->setFaults(f);
    // Refuse logins from the moment the connection drops: the importer cannot get back in.
    std::thread watcher([this] {
        for (int i = 0; i < 2000 && sim->faults().dropAfterScpBytes >= 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        auto g = sim->faults();
        g.refuseLogin = true;
        sim->setFaults(g);
    });
    auto r = run();
    watcher.join();
    EXPECT_GT(r.failed(), 0u);
    EXPECT_LT(r.failed(), r.records.size());
    int lost = 0;
    for (const auto& m : r.messages) lost += m.find("Lost Connection to tester") != std::string::npos ? 1 : 0;
    EXPECT_EQ(lost, 1);
    const Json::Value index = readJson(out / "index.json");
    for (const auto& e : index["records"])
        if (e["imported"].asBool()) {
            EXPECT_EQ(readText(out / e["result"].asString()), readText(onTester(e["testerFile"].asString())));
        }
}

TEST_F(ImportCommandTest, CorruptDatabasesFromTheFaultSwitches) {
    auto c = readCatalog({sim->address()});
    ASSERT_FALSE(c.summaries.empty());
    // One project's database arrives damaged: that project is skipped, the others imported.
    const std::string dir = c.summaries.front().fileName.substr(0, c.summaries.front().fileName.find('/'));
    const std::string name = c.summaries.front().keyProject;
    Kestrix::Sim::SimFaults f;
    f.corruptProjectDb = dir;
    sim->setFaults(f);
    auto r = run(false);
    EXPECT_EQ(r.failed(), 0u);
    EXPECT_FALSE(r.records.empty());
    EXPECT_LT(r.records.size(), c.summaries.size());
    for (const auto& rec : r.records) EXPECT_NE(r.catalog.summaries[rec.index].keyProject, name);

    Kestrix::Sim::SimFaults m;
    m.corruptMasterDb = true;
    sim->setFaults(m);
    auto none = readCatalog({sim->address()});
    EXPECT_TRUE(none.summaries.empty());
    EXPECT_NE(none.problem.find("master database"), std::string::npos) << none.problem;
}

TEST_F(ImportCommandTest, AFileCutOnTheWayIsNotKeptAsARecord) {
    auto c = readCatalog({sim->address()});
    ASSERT_GE(c.summaries.size(), 2u);
    const auto& victim = c.summaries[2];
    Kestrix::Sim::SimFaults f;
    f.truncateFile = victim.fileName.substr(victim.fileName.find('/') + 1);
    sim->setFaults(f);
    auto r = run(false);
    ASSERT_EQ(r.failed(), 1u);
    for (const auto& rec : r.records)
        if (!rec.ok) {
            EXPECT_EQ(r.catalog.summaries[rec.index].fileName, victim.fileName);
            EXPECT_EQ(rec.error, "Failed to read record.");
        }
}

TEST_F(ImportCommandTest, ADownloadDroppedOnceIsFetchedAgain) {
    Kestrix::Sim::SimFaults f;
    f.dropDuringDownload = 12;  // past the databases, inside the results
    sim->setFaults(f);
    auto r = run();
    EXPECT_EQ(r.failed(), 0u);
    const Json::Value index = readJson(out / "index.json");
    for (const auto& e : index["records"])
        EXPECT_EQ(readText(out / e["result"].asString()), readText(onTester(e["testerFile"].asString())));
}

// Output naming, without a tester.
TEST(ImportOutputNames, NamesFromTheTesterNeverLeaveTheFolder) {
    EXPECT_EQ(safeName(".."), "_");
    EXPECT_EQ(safeName("."), "_");
    EXPECT_EQ(safeName(""), "_");
    EXPECT_EQ(safeName("../../etc/passwd"), "___.._etc_passwd");  // no separator left
    EXPECT_EQ(safeName("/abs"), "_abs");
    EXPECT_EQ(safeName("a\nb\x1b[2Jc\x7f"), "a_b_[2Jc_");
    EXPECT_EQ(safeName("Riser 7 \"B\""), "Riser 7 _B_");
    EXPECT_EQ(safeName("C:\\x"), "C__x");
    EXPECT_EQ(safeName("trailing. "), "trailing");
    EXPECT_EQ(safeName(".hidden"), "_hidden");
    EXPECT_EQ(safeName("Gebäude"), "Gebäude");
    const std::string longName(300, 'x');
    EXPECT_EQ(safeName(longName).size(), 120u);
    EXPECT_EQ(safeName(std::string(119, 'x') + "ä"), std::string(119, 'x'));  // not cut inside a character

    const fs::path dir = kx::test::freshFolder("names");
    ImportOutput o(dir);
    o.plan({{"..", "../..", "/etc/passwd", "a/1", 1},
            {"P", "", "CAB", "p/1", 1},
            {"P", "", "CAB", "p/2", 2},
            {"P", "", "CAB2", "p/3", 3}});
    EXPECT_EQ(o.resultPath(0), "_/___/_etc_passwd.result");
    EXPECT_EQ(o.resultPath(1), "P/CAB~1.result");
    EXPECT_EQ(o.resultPath(2), "P/CAB~2.result");
    EXPECT_EQ(o.recordPath(3), "P/CAB2.json");
    o.write(0, {1, 2, 3}, "{}");
    EXPECT_TRUE(fs::is_regular_file(dir / "_/___/_etc_passwd.result"));

    // A folder inside DIR that links elsewhere is refused.
    const fs::path elsewhere = kx::test::freshFolder("elsewhere");
    fs::create_directory_symlink(elsewhere, dir / "P");
    EXPECT_THROW(o.write(1, {1}, "{}"), std::runtime_error);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove_all(dir);
    fs::remove_all(elsewhere);
}

TEST(ImportOutputNames, AReRunWithANewReTestLeavesOneCopyOfEach) {
    const fs::path dir = kx::test::freshFolder("rerun");
    {
        ImportOutput first(dir);
        first.plan({{"P", "", "CAB", "p/1", 1}});
        first.write(0, {1}, "{}");
        Json::Value index;
        index["records"][0]["testerFile"] = "p/1";
        index["records"][0]["result"] = first.resultPath(0);
        first.writeIndex(index);
    }
    ImportOutput second(dir);
    second.plan({{"P", "", "CAB", "p/1", 1}, {"P", "", "CAB", "p/2", 2}});
    second.write(0, {1}, "{}");
    second.write(1, {2}, "{}");
    EXPECT_EQ(filesUnder(dir), (std::set<std::string>{"P/CAB~1.json", "P/CAB~1.result", "P/CAB~2.json",
                                                      "P/CAB~2.result", "index.json"}));
    // No temporary files are left behind.
    for (const auto& f : filesUnder(dir)) EXPECT_EQ(f.find(".tmp-"), std::string::npos) << f;
    fs::remove_all(dir);
}

}  // namespace
