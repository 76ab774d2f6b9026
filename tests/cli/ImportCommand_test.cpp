// kestrix import against a freshly stocked simulated tester: what lands on disk, and what faults leave.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <deque>
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
#include "core/SqliteFixtures.h"
#include "core/TestFiles.h"
#include "fiber/FiberBuilders.h"
#include "tester/RecordFixtures.h"

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

void writeText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
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
    EXPECT_TRUE(r.complete());
    ASSERT_FALSE(r.marking.empty());
    for (const auto& m : r.marking) EXPECT_TRUE(m.marked) << m.folder << ": " << m.reason;
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
    std::vector<PlannedRecord> planned;
    for (const auto& s : c.summaries) planned.push_back({s.project, s.site, s.id, {c.testerSerial, s.fileName, s.key}});
    ImportOutput plan(out);
    plan.plan(planned);
    // A file where the first record's folder belongs: none of that folder's records can be written.
    writeText(out / fs::path(plan.resultPath(0)).parent_path(), "in the way");
    auto r = run();
    ASSERT_GE(r.failed(), 1u);
    EXPECT_FALSE(r.records[0].ok);
    EXPECT_FALSE(r.complete());
    const auto m = marks();
    for (const auto& rec : r.records) {
        if (rec.ok) continue;
        const auto& sum = r.catalog.summaries[rec.index];
        for (size_t i = 0; i < m.size(); ++i)
            if (m[i].find("\"" + sum.keyProject + "\"") != std::string::npos) {
                const auto keys = uploadedKeys(testerRoot / "tmp" / ("uplist" + std::to_string(i)));
                EXPECT_EQ(std::count(keys.begin(), keys.end(), static_cast<int32_t>(sum.key)), 0) << sum.fileName;
            }
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
    // One project's database arrives damaged: the others are imported, and that project is named as not
    // listed, in the report and in the index, so the job is not complete.
    const std::string dir = c.summaries.front().folder;
    const std::string name = c.summaries.front().keyProject;
    Kestrix::Sim::SimFaults f;
    f.corruptProjectDb = dir;
    sim->setFaults(f);
    auto r = run(false);
    EXPECT_EQ(r.failed(), 0u);
    EXPECT_FALSE(r.records.empty());
    EXPECT_LT(r.records.size(), c.summaries.size());
    for (const auto& rec : r.records) EXPECT_NE(r.catalog.summaries[rec.index].keyProject, name);
    ASSERT_EQ(r.gaps.size(), 1u);
    EXPECT_EQ(r.gaps[0].folder, dir);
    EXPECT_FALSE(r.complete());
    EXPECT_EQ(unlistedText(r.gaps), "an unknown number could not be listed");
    const Json::Value index = readJson(out / "index.json");
    ASSERT_EQ(index["notListed"].size(), 1u);
    EXPECT_EQ(index["notListed"][0]["testerFolder"].asString(), dir);
    EXPECT_TRUE(index["notListed"][0]["records"].isNull());

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
    o.plan({{"..", "../..", "/etc/passwd", {"S", "a/1", 1}},
            {"P", "", "CAB", {"S", "p/1", 1}},
            {"P", "", "CAB", {"S", "p/2", 2}},
            {"P", "", "CAB2", {"S", "p/3", 3}}});
    EXPECT_EQ(o.resultPath(0), "_/___/_etc_passwd.result");
    EXPECT_EQ(o.resultPath(1), "P/CAB.result");
    EXPECT_EQ(o.resultPath(2), "P/CAB~2.result");
    EXPECT_EQ(o.recordPath(3), "P/CAB2.json");
    o.write(0, {1, 2, 3}, "{}");
    EXPECT_TRUE(fs::is_regular_file(dir / "_/___/_etc_passwd.result"));

    // A folder inside DIR that links elsewhere is refused, and nothing is made through it: not even a site
    // folder.
    const fs::path elsewhere = kx::test::freshFolder("elsewhere");
    fs::create_directory_symlink(elsewhere, dir / "P");
    EXPECT_THROW(o.write(1, {1}, "{}"), std::runtime_error);
    ImportOutput sites(dir);
    sites.plan({{"P", "Site", "CAB", {"S", "p/1", 1}}});
    EXPECT_THROW(sites.write(0, {1}, "{}"), std::runtime_error);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove_all(dir);
    fs::remove_all(elsewhere);
}

TEST(ImportOutputNames, CaseFoldedNamesOfTheLettersATesterUses) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"ABC/Xy-01", "abc/xy-01"},
        {"GEBÄUDE/ÇÑ", "gebäude/çñ"},
        {"ŁÓDŹ", "łódź"},
        {"×ß", "×ß"},  // no case
        {"Ÿ", "ÿ"},
    };
    for (const auto& [in, folded] : cases) EXPECT_EQ(foldCase(in), folded) << in;
}

TEST(ImportOutputNames, ARecordKeepsItsPathAndNoOtherTakesAFileItDoesNotOwn) {
    const RecordIdentity a{"S1", "p/1", 1}, b{"S1", "p/2", 2}, c{"S1", "p/3", 3}, other{"S2", "p/1", 1};
    // An earlier run gave "P/CAB" to b; a file nobody's index speaks for sits at "p/cab2.result".
    PathPlanner planner({{b, "P/CAB"}, {other, "P/CAB~3"}}, {"P", "P/CAB.result", "P/CAB.json", "p/cab2.result"});
    const auto stems = planner.plan({{"P", "", "CAB", a}, {"P", "", "CAB", b}, {"P", "", "CAB2", c}});
    EXPECT_EQ(stems, (std::vector<std::string>{"P/CAB~2", "P/CAB", "P/CAB2~2"}));
    // Another tester's record with the same file and key is another record.
    EXPECT_EQ(planner.plan({{"P", "", "CAB", other}})[0], "P/CAB~3");
    EXPECT_EQ(planner.plan({{"P", "", "CAB", {"S3", "p/1", 1}}})[0], "P/CAB~2");
    // The index's own name is not a project folder's.
    EXPECT_EQ(planner.plan({{"Index.JSON", "", "X", a}})[0], "Index.JSON~2/X");
}

TEST(ImportOutputNames, TheIndexCarriesForwardWhatARunDidNotTouch) {
    const fs::path dir = kx::test::freshFolder("rerun");
    const auto entry = [](const RecordIdentity& id, const std::string& result) {
        Json::Value v;
        v["testerSerial"] = id.testerSerial;
        v["testerFile"] = id.testerFile;
        v["key"] = Json::Int64(id.key);
        v["imported"] = !result.empty();
        if (!result.empty()) v["result"] = result;
        return v;
    };
    const RecordIdentity a{"S1", "p/1", 1}, b{"S1", "p/2", 2};
    {
        ImportIndex first(dir, "Lumetra S1", "S1");
        first.begin("Lumetra S1", "S1");
        first.add(a, true, entry(a, "P/A.result"));
        first.add(b, true, entry(b, "P/B.result"));
        first.end(2, 0, Json::Value(Json::arrayValue), 0);
    }
    {
        // Only b this time, and it failed: both entries stay as they were.
        ImportIndex second(dir, "Lumetra S1", "S1");
        ASSERT_EQ(second.owners().size(), 2u);
        second.begin("Lumetra S1", "S1");
        second.add(b, false, entry(b, ""));
        second.end(0, 1, Json::Value(Json::arrayValue), 0);
    }
    const Json::Value index = readJson(dir / "index.json");
    ASSERT_EQ(index["records"].size(), 2u);
    std::set<std::string> results;
    for (const auto& r : index["records"]) results.insert(r["result"].asString());
    EXPECT_EQ(results, (std::set<std::string>{"P/A.result", "P/B.result"}));
    EXPECT_EQ(index["failed"].asInt(), 1);
    // No temporary files are left behind.
    for (const auto& f : filesUnder(dir)) EXPECT_EQ(f.find(".tmp-"), std::string::npos) << f;

    // An index that does not parse is kept aside, not overwritten.
    writeText(dir / "index.json", "{ not json");
    ImportIndex third(dir, "Lumetra S1", "S1");
    EXPECT_TRUE(third.previous().empty());
    EXPECT_EQ(readText(dir / "index.json.unreadable"), "{ not json");
    fs::remove_all(dir);
}

// A tester whose databases each test writes, with result files that decode, named by their cable ids.
class FixtureImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        out = kx::test::freshFolder("out");
        Kestrix::Tester::Err::TakePending();
    }
    void TearDown() override {
        for (auto& t : testers) t.sim->stop();
        for (auto& t : testers) fs::remove_all(t.root);
        fs::remove_all(out);
    }
    struct Tester {
        fs::path root;
        std::unique_ptr<Kestrix::Sim::TesterSim> sim;
    };
    // A new tester of that serial number, running.
    Tester& tester(const std::string& serial = "KX1000001") {
        Tester t;
        t.root = kx::test::freshFolder("tester");
        fs::create_directories(t.root / "tmp");
        Kestrix::Sim::SimOptions o;
        o.root = t.root;
        o.sysinfo.serialNumber = serial;
        t.sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
        t.sim->start();
        testers.push_back(std::move(t));
        return testers.back();
    }
    static kx::test::ResultRow row(int64_t key, const std::string& id, const std::string& file) {
        kx::test::ResultRow r;
        r.key = key;
        r.name = id;
        r.fileName = file;
        return r;
    }
    // Project folders of results: each file holds a result of that cable id (and `salt` in its name, so two
    // testers' files differ).
    static void projects(const Tester& t, const std::string& masterRows,
                         const std::vector<std::pair<std::string, std::vector<kx::test::ResultRow>>>& folders,
                         const std::string& salt = "") {
        kx::test::writeMaster(t.root, masterRows);
        for (const auto& [dir, rows] : folders)
            kx::test::writeProject(t.root, dir, rows, [&salt](const kx::test::ResultRow& r) {
                return kx::test::lossLengthResultFile((r.name + salt).c_str());
            });
    }
    ImportReport run(const Tester& t, bool mark = true, boost::optional<std::string> project = boost::none) {
        ImportOptions o;
        o.link.ip = t.sim->address();
        o.outDir = out.string();
        o.mark = mark;
        o.project = project;
        return runImport(o);
    }
    static std::string onTester(const Tester& t, const std::string& testerFile) {
        return readText(t.root / kx::test::kTesterProjects / testerFile);
    }
    // Each record of the index that says it is imported holds its tester's bytes, and no two share a file,
    // even on a file system that ignores case.
    void expectIndexHoldsEveryRecordOnce(size_t records) {
        const Json::Value index = readJson(out / "index.json");
        EXPECT_EQ(index["records"].size(), records);
        std::set<std::string> folded;
        for (const auto& e : index["records"]) {
            ASSERT_TRUE(e["imported"].asBool()) << e.toStyledString();
            EXPECT_TRUE(folded.insert(foldCase(e["result"].asString())).second) << e["result"].asString();
            const Tester* from = nullptr;
            for (const auto& t : testers)
                if (t.sim->options().sysinfo.serialNumber == e["testerSerial"].asString()) from = &t;
            ASSERT_TRUE(from) << e["testerSerial"].asString();
            EXPECT_EQ(readText(out / e["result"].asString()), onTester(*from, e["testerFile"].asString()))
                << e["result"].asString();
        }
    }

    fs::path out;
    std::deque<Tester> testers;
};

TEST_F(FixtureImportTest, TwoRecordsNeverShareAFile) {
    auto& t = tester();
    projects(t,
             kx::test::insertProject("Bldg A/B", "ab1", "1", "") + kx::test::insertProject("Bldg A:B", "ab2", "2", "") +
                 kx::test::insertProject("D", "d", "3", "") + kx::test::insertProject("ABC", "upper", "4", "") +
                 kx::test::insertProject("abc", "lower", "5", ""),
             {{"ab1", {row(1, "X-01", "x.result")}},
              {"ab2", {row(1, "X-01", "x.result")}},
              {"d", {row(3, "D-102-B~2", "c.result"), row(1, "D-102-B", "a.result"), row(2, "D-102-B", "b.result")}},
              {"upper", {row(1, "C-1", "c.result")}},
              {"lower", {row(1, "c-1", "c.result")}}});
    // A file of the user's where one record's name would go, and one that differs from another's in case
    // only: neither is replaced.
    writeText(out / "D" / "D-102-B.result", "mine");
    writeText(out / "ABC" / "c-1.json", "mine too");
    auto r = run(t);
    EXPECT_TRUE(r.complete()) << ::testing::PrintToString(r.messages);
    EXPECT_EQ(r.failed(), 0u);
    expectIndexHoldsEveryRecordOnce(7);
    EXPECT_EQ(readText(out / "D" / "D-102-B.result"), "mine");
    EXPECT_EQ(readText(out / "ABC" / "c-1.json"), "mine too");
    EXPECT_FALSE(fs::exists(out / "ABC" / "C-1.json"));
}

TEST_F(FixtureImportTest, ARunMergesIntoTheIndexAndNeverReplacesAnotherRecordsFile) {
    auto& t = tester();
    projects(t, kx::test::insertProject("P", "p", "1", "") + kx::test::insertProject("Q", "q", "2", ""),
             {{"p", {row(1, "X-01", "x1.result")}}, {"q", {row(1, "Y-01", "y.result")}}});
    ASSERT_TRUE(run(t).complete());
    const std::string first = readText(out / "P" / "X-01.result");
    ASSERT_TRUE(run(t, true, std::string("Q")).complete());
    // The tester re-tests X-01 (a new key and file) and the first result leaves the tester.
    projects(t, kx::test::insertProject("P", "p", "1", "") + kx::test::insertProject("Q", "q", "2", ""),
             {{"p", {row(2, "X-01", "x2.result")}}, {"q", {row(1, "Y-01", "y.result")}}}, "retest");
    auto r = run(t);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(readText(out / "P" / "X-01.result"), first);
    EXPECT_EQ(readText(out / "P" / "X-01~2.result"), onTester(t, "p/x2.result"));
    // The first result is no longer on the tester, but its entry is still in the index.
    const Json::Value index = readJson(out / "index.json");
    std::set<std::string> files;
    for (const auto& e : index["records"]) files.insert(e["testerFile"].asString());
    EXPECT_EQ(files, (std::set<std::string>{"p/x1.result", "p/x2.result", "q/y.result"}));
}

TEST_F(FixtureImportTest, ASecondTesterNeverTouchesTheFirstTestersFiles) {
    auto& a = tester("KX1000001");
    auto& b = tester("KX2000002");
    const std::string master = kx::test::insertProject("P", "p", "1", "");
    projects(a, master, {{"p", {row(1, "X-01", "x.result"), row(2, "X-02", "y.result")}}});
    projects(b, master, {{"p", {row(1, "X-01", "x.result"), row(2, "X-03", "y.result")}}}, "b");
    ASSERT_TRUE(run(a).complete());
    const auto before = filesUnder(out);
    std::map<std::string, std::string> bytes;
    for (const auto& f : before) bytes[f] = readText(out / f);
    ASSERT_TRUE(run(b).complete());
    // Same folder, file and key on both testers: still two records, and the first tester's files stay.
    for (const auto& f : before) {
        if (f == "index.json") continue;
        EXPECT_EQ(readText(out / f), bytes[f]) << f;
    }
    expectIndexHoldsEveryRecordOnce(4);
    // A re-import of the first tester rewrites its own files in place.
    ASSERT_TRUE(run(a).complete());
    expectIndexHoldsEveryRecordOnce(4);
    EXPECT_EQ(filesUnder(out).size(), 9u);  // four records of two files each, and the index
}

TEST_F(FixtureImportTest, NothingIsMarkedBeforeTheIndexAndTheFilesAreOnTheDisk) {
    auto& t = tester();
    projects(t, kx::test::insertProject("index.json", "i", "1", "") + kx::test::insertProject("P", "p", "2", ""),
             {{"i", {row(1, "A", "a.result"), row(2, "B", "b.result")}}, {"p", {row(1, "C", "c.result")}}});
    // A project named like the index gets a folder of its own; the index stays a file.
    auto r = run(t);
    EXPECT_TRUE(r.complete());
    EXPECT_TRUE(fs::is_regular_file(out / "index.json"));
    EXPECT_TRUE(fs::is_regular_file(out / "index.json~2" / "A.result"));
    ASSERT_EQ(r.marking.size(), 2u);
    for (const auto& m : r.marking) EXPECT_TRUE(m.marked) << m.folder << ": " << m.reason;

    // An index that cannot be written: the records stay on disk, nothing is marked.
    fs::remove_all(out);
    fs::create_directories(out / "index.json" / "in the way");
    t.sim->clearJournal();
    EXPECT_THROW(run(t), BadInput);
    for (const auto& line : t.sim->journal()) EXPECT_NE(line.rfind("smmarkuploaded", 0), 0u) << line;

    // The tester refuses to mark: said per folder, and the job is not complete.
    fs::remove_all(out);
    Kestrix::Sim::SimFaults f;
    f.failCommand = "smmarkuploaded";
    t.sim->setFaults(f);
    r = run(t);
    EXPECT_FALSE(r.complete());
    ASSERT_EQ(r.marking.size(), 2u);
    for (const auto& m : r.marking) EXPECT_FALSE(m.marked);
}

TEST_F(FixtureImportTest, RecordsThatCouldNotBeListedAreCountedAndTheJobIsNotDone) {
    auto& t = tester();
    projects(t, kx::test::insertProject("P", "p", "1", "") + kx::test::insertProject("Q", "q", "2", ""),
             {{"p", {row(1, "A", "a.result"), row(2, "B", "b.result")}}, {"q", {row(1, "C", "c.result")}}});
    kx::test::makeDb(t.root / kx::test::kTesterProjects / "p" / "project.sql",
                     std::string(kx::test::kResultsSchema) + kx::test::insertResult(row(1, "A", "a.result")) +
                         "INSERT INTO Results VALUES(2,1,1,NULL,4,1,'b.result',1,1);");
    auto r = run(t);
    EXPECT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.failed(), 0u);
    EXPECT_FALSE(r.complete());
    EXPECT_EQ(r.catalog.unlisted(), 1u);
    EXPECT_EQ(unlistedText(r.gaps), "1 could not be listed");
    EXPECT_EQ(describe(r.gaps.at(0)), "project P (folder p): its database's row 2 cannot be read");
    const Json::Value index = readJson(out / "index.json");
    EXPECT_EQ(index["unlisted"].asInt(), 1);
    EXPECT_EQ(index["notListed"][0]["records"].asInt(), 1);
}

// index.json names each imported record's verdict conflict: a passing link stored as FAIL disagrees with its
// tests, the same link stored as PASS does not.
TEST_F(FixtureImportTest, TheIndexNamesEachRecordsVerdictConflict) {
    auto& t = tester();
    kx::test::writeMaster(t.root, kx::test::insertProject("P", "p", "1", ""));
    kx::test::writeProject(t.root, "p", {row(1, "FAIL-STORED", "a.result"), row(2, "PASS-STORED", "b.result")},
                           [](const kx::test::ResultRow& r) {
                               Kestrix::CopperResult result;
                               result.summary.resultType = Kestrix::ResultType::COPPER;
                               result.mergeCopperTest(kx::test::cat6APermanentLinkTest(), false);
                               result.summary.resultName = r.name;
                               result.summary.status = r.key == 1 ? Kestrix::Status::fail : Kestrix::Status::pass;
                               return Kestrix::CopperResultWriter::writeResult(result);
                           });
    auto r = run(t, false);
    EXPECT_TRUE(r.complete()) << ::testing::PrintToString(r.messages);
    std::map<std::string, Json::Value> byId;
    // Held: a loop over a member of a temporary would read it after it is gone.
    const Json::Value index = readJson(out / "index.json");
    for (const auto& e : index["records"]) byId[e["cableId"].asString()] = e;
    ASSERT_TRUE(byId["FAIL-STORED"]["verdictConflict"].isString());
    EXPECT_NE(byId["FAIL-STORED"]["verdictConflict"].asString().find("stored FAIL; no test failed"), std::string::npos);
    EXPECT_TRUE(byId["PASS-STORED"].isMember("verdictConflict"));
    EXPECT_TRUE(byId["PASS-STORED"]["verdictConflict"].isNull());
}

}  // namespace
