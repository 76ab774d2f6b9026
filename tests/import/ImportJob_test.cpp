// The import job against a simulated tester: what lands on disk, what is marked, and what faults leave.

#include <deque>
#include <thread>

#include "ImportFixtures.h"
#include "tester/RecordFixtures.h"
#include "tester/host/Log.h"
#include "tester/import/ImportOutput.h"

namespace {

// Every record's marking, in one list.
std::vector<Kestrix::Tester::FolderMarking> markingOf(const ImportOutcome& r) {
    std::vector<Kestrix::Tester::FolderMarking> out;
    for (const auto& p : r.projects)
        if (p.markingAsked) out.push_back(p.marking);
    return out;
}

// One project alone first, unmarked; then the whole tester, every record byte-exact with its host record, indexed
// and marked.
TEST_F(StockedTesterTest, OneProjectThenEveryRecordByteExactWithItsHostRecordAndIndex) {
    const std::string project = catalog().summaries.at(0).project;
    auto one = run(false, project);
    ASSERT_FALSE(one.records.empty());
    for (const auto& rec : one.records) EXPECT_EQ(one.catalog.summaries[rec.index].project, project);
    EXPECT_TRUE(marks().empty());  // --no-mark

    auto r = run();
    ASSERT_GE(r.records.size(), 10u);
    EXPECT_EQ(r.failed, 0u);
    EXPECT_TRUE(r.complete());
    ASSERT_FALSE(markingOf(r).empty());
    for (const auto& m : markingOf(r)) EXPECT_TRUE(m.marked) << m.folder << ": " << m.reason;
    expectImportedAsOnTester();
    // Names made safe and unique, sites below their project.
    expectGolden(readText(out / "index.json"), "index-stock.json");
    // Every record is marked in its own project database, sites included.
    for (const auto& rec : r.records) {
        const auto& sum = r.catalog.summaries[rec.index];
        EXPECT_EQ(uploadedFlags(onTester(sum.folder + "/project.sql"))[sum.key], 1) << sum.fileName;
    }
}

TEST_F(StockedTesterTest, AMissingFileFailsThatRecordAloneAndIsNotMarked) {
    auto c = catalog();
    ASSERT_GE(c.summaries.size(), 3u);
    const auto& victim = c.summaries[1];
    fs::remove(onTester(victim.fileName));
    sim->clearJournal();
    auto r = run();
    expectOnlyFailed(r, victim.fileName);
    const std::string said = victim.fileName + ": Failed to read record.";
    EXPECT_NE(std::find(r.messages.begin(), r.messages.end(), said), r.messages.end());
    // Every record of the victim's project but the victim is marked.
    ASSERT_EQ(victim.folder, c.summaries[0].folder);
    const auto flags = uploadedFlags(onTester(victim.folder + "/project.sql"));
    EXPECT_EQ(flags.at(victim.key), 0);
    EXPECT_EQ(flags.at(c.summaries[0].key), 1);
}

TEST_F(StockedTesterTest, AFileThatCannotBeWrittenIsNotMarked) {
    auto c = catalog();
    std::vector<PlannedRecord> planned;
    for (const auto& s : c.summaries) planned.push_back({s.project, s.site, s.id, {c.testerSerial, s.fileName, s.key}});
    ImportOutput plan(out);
    plan.plan(planned);
    // A file where the first record's folder belongs: none of that folder's records can be written.
    writeText(out / fs::path(plan.resultPath(0)).parent_path(), "in the way");
    auto r = run();
    ASSERT_GE(r.failed, 1u);
    EXPECT_FALSE(r.records[0].held());
    EXPECT_FALSE(r.complete());
    for (const auto& rec : r.records)
        if (!rec.held()) {
            const auto& sum = r.catalog.summaries[rec.index];
            EXPECT_EQ(uploadedFlags(onTester(sum.folder + "/project.sql"))[sum.key], 0) << sum.fileName;
        }
}

TEST_F(StockedTesterTest, ALostConnectionNamesTheRecordsNotFetchedAndKeepsTheRest) {
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
    EXPECT_GT(r.failed, 0u);
    EXPECT_LT(r.failed, r.records.size());
    int lost = 0;
    for (const auto& m : r.messages) lost += m.find("Lost Connection to tester") != std::string::npos ? 1 : 0;
    EXPECT_EQ(lost, 1);
    expectImportedAsOnTester();
}

TEST_F(StockedTesterTest, CorruptDatabasesFromTheFaultSwitches) {
    auto c = catalog();
    ASSERT_FALSE(c.summaries.empty());
    // One project's database arrives damaged: the others are imported, and that project is named as not
    // listed, in the report and in the index, so the job is not complete.
    const std::string dir = c.summaries.front().folder;
    const std::string name = c.summaries.front().keyProject;
    Kestrix::Sim::SimFaults f;
    f.corruptProjectDb = dir;
    sim->setFaults(f);
    auto r = run(false);
    EXPECT_EQ(r.failed, 0u);
    EXPECT_FALSE(r.records.empty());
    EXPECT_LT(r.records.size(), c.summaries.size());
    for (const auto& rec : r.records) EXPECT_NE(r.catalog.summaries[rec.index].keyProject, name);
    ASSERT_EQ(r.gaps.size(), 1u);
    EXPECT_EQ(r.gaps[0].folder, dir);
    EXPECT_FALSE(r.complete());
    EXPECT_EQ(unlistedText(r.gaps), "an unknown number could not be listed");
    const Json::Value index = parseJson(readText(out / "index.json"), "index.json");
    ASSERT_EQ(index["notListed"].size(), 1u);
    EXPECT_EQ(index["notListed"][0]["testerFolder"].asString(), dir);
    EXPECT_TRUE(index["notListed"][0]["records"].isNull());

    Kestrix::Sim::SimFaults m;
    m.corruptMasterDb = true;
    sim->setFaults(m);
    auto none = catalog();
    EXPECT_TRUE(none.summaries.empty());
    EXPECT_NE(none.problem.find("master database"), std::string::npos) << none.problem;
}

TEST_F(StockedTesterTest, AFileCutOnTheWayIsNotKeptAsARecord) {
    auto c = catalog();
    ASSERT_GE(c.summaries.size(), 3u);
    const auto& victim = c.summaries[2];
    Kestrix::Sim::SimFaults f;
    f.truncateFile = victim.fileName.substr(victim.fileName.find('/') + 1);
    sim->setFaults(f);
    expectOnlyFailed(run(false), victim.fileName);
}

TEST_F(StockedTesterTest, ADownloadDroppedOnceIsFetchedAgain) {
    Kestrix::Sim::SimFaults f;
    f.dropDuringDownload = 12;  // past the databases, inside the results
    sim->setFaults(f);
    EXPECT_EQ(run().failed, 0u);
    expectImportedAsOnTester();
}

// Testers whose databases each test writes, with result files that decode, named by their cable ids.
class FixtureImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        out = freshFolder("out");
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
        t.root = freshFolder("tester");
        fs::create_directories(t.root / "tmp");
        Kestrix::Sim::SimOptions o;
        o.root = t.root;
        o.sysinfo.serialNumber = serial;
        t.sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
        t.sim->start();
        testers.push_back(std::move(t));
        return testers.back();
    }
    static ResultRow row(int64_t key, const std::string& id, const std::string& file) {
        ResultRow r;
        r.key = key;
        r.name = id;
        r.fileName = file;
        return r;
    }
    struct Project {
        std::string name, dir;
        std::vector<ResultRow> rows;
    };
    // Projects numbered from 1 in the master database, each a folder of results: each file holds a result of
    // that cable id (and `salt` in its name, so two testers' files differ).
    static void projects(const Tester& t, const std::vector<Project>& list, const std::string& salt = "") {
        std::string master;
        for (size_t i = 0; i < list.size(); ++i)
            master += insertProject(list[i].name, list[i].dir, std::to_string(i + 1), "");
        writeMaster(t.root, master);
        for (const auto& p : list)
            writeProject(t.root, p.dir, p.rows,
                         [&salt](const ResultRow& r) { return lossLengthResultFile((r.name + salt).c_str()); });
    }
    Kestrix::Import::ImportOutcome run(const Tester& t, bool mark = true,
                                       boost::optional<std::string> project = boost::none) {
        return Kestrix::Import::runImport(importOptions(*t.sim, out, mark, std::move(project)));
    }
    static std::string onTester(const Tester& t, const std::string& testerFile) {
        return readText(t.root / kTesterProjects / testerFile);
    }

    // Each record of the index that says it is imported holds its tester's bytes, and no two share a file, even
    // on a file system that ignores case.
    void expectIndexHoldsEveryRecordOnce(size_t records) {
        const Json::Value index = parseJson(readText(out / "index.json"));
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
    projects(
        t, {{"Bldg A/B", "ab1", {row(1, "X-01", "x.result")}},
            {"Bldg A:B", "ab2", {row(1, "X-01", "x.result")}},
            {"D", "d", {row(3, "D-102-B~2", "c.result"), row(1, "D-102-B", "a.result"), row(2, "D-102-B", "b.result")}},
            {"ABC", "upper", {row(1, "C-1", "c.result")}},
            {"abc", "lower", {row(1, "c-1", "c.result")}}});
    // A file of the user's where one record's name would go, and one that differs from another's in case
    // only: neither is replaced.
    writeText(out / "D" / "D-102-B.result", "mine");
    writeText(out / "ABC" / "c-1.json", "mine too");
    auto r = run(t);
    EXPECT_TRUE(r.complete()) << ::testing::PrintToString(r.messages);
    EXPECT_EQ(r.failed, 0u);
    expectIndexHoldsEveryRecordOnce(7);
    EXPECT_EQ(readText(out / "D" / "D-102-B.result"), "mine");
    EXPECT_EQ(readText(out / "ABC" / "c-1.json"), "mine too");
    EXPECT_FALSE(fs::exists(out / "ABC" / "C-1.json"));
}

TEST_F(FixtureImportTest, ARunMergesIntoTheIndexAndNeverReplacesAnotherRecordsFile) {
    auto& t = tester();
    projects(t, {{"P", "p", {row(1, "X-01", "x1.result")}}, {"Q", "q", {row(1, "Y-01", "y.result")}}});
    ASSERT_TRUE(run(t).complete());
    const std::string first = readText(out / "P" / "X-01.result");
    ASSERT_TRUE(run(t, true, std::string("Q")).complete());
    // The tester re-tests X-01 (a new key and file) and the first result leaves the tester.
    projects(t, {{"P", "p", {row(2, "X-01", "x2.result")}}, {"Q", "q", {row(1, "Y-01", "y.result")}}}, "retest");
    auto r = run(t);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(readText(out / "P" / "X-01.result"), first);
    EXPECT_EQ(readText(out / "P" / "X-01~2.result"), onTester(t, "p/x2.result"));
    // The first result is no longer on the tester, but its entry is still in the index.
    expectGolden(readText(out / "index.json"), "index-merged.json");
}

TEST_F(FixtureImportTest, ASecondTesterNeverTouchesTheFirstTestersFiles) {
    auto& a = tester("KX1000001");
    auto& b = tester("KX2000002");
    projects(a, {{"P", "p", {row(1, "X-01", "x.result"), row(2, "X-02", "y.result")}}});
    projects(b, {{"P", "p", {row(1, "X-01", "x.result"), row(2, "X-03", "y.result")}}}, "b");
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
    projects(t, {{"index.json", "i", {row(1, "A", "a.result"), row(2, "B", "b.result")}},
                 {"P", "p", {row(1, "C", "c.result")}}});
    // A project named like the index gets a folder of its own; the index stays a file.
    auto r = run(t);
    EXPECT_TRUE(r.complete());
    EXPECT_TRUE(fs::is_regular_file(out / "index.json"));
    EXPECT_TRUE(fs::is_regular_file(out / "index.json~2" / "A.result"));
    ASSERT_EQ(markingOf(r).size(), 2u);
    for (const auto& m : markingOf(r)) EXPECT_TRUE(m.marked) << m.folder << ": " << m.reason;

    // An index that cannot be written: the records stay on disk, nothing is marked.
    fs::remove_all(out);
    fs::create_directories(out / "index.json" / "in the way");
    t.sim->clearJournal();
    EXPECT_NE(run(t).failure.find("nothing was marked"), std::string::npos);
    for (const auto& line : t.sim->journal()) EXPECT_NE(line.rfind("smmarkuploaded", 0), 0u) << line;

    // The tester refuses to mark: said per folder, and the job is not complete.
    fs::remove_all(out);
    Kestrix::Sim::SimFaults f;
    f.failCommand = "smmarkuploaded";
    t.sim->setFaults(f);
    r = run(t);
    EXPECT_FALSE(r.complete());
    ASSERT_EQ(markingOf(r).size(), 2u);
    for (const auto& m : markingOf(r)) EXPECT_FALSE(m.marked);
}

TEST_F(FixtureImportTest, RecordsThatCouldNotBeListedAreCountedAndTheJobIsNotDone) {
    auto& t = tester();
    projects(t,
             {{"P", "p", {row(1, "A", "a.result"), row(2, "B", "b.result")}}, {"Q", "q", {row(1, "C", "c.result")}}});
    kx::test::makeDb(t.root / kx::test::kTesterProjects / "p" / "project.sql",
                     std::string(kx::test::kResultsSchema) + kx::test::insertResult(row(1, "A", "a.result")) +
                         "INSERT INTO Results VALUES(2,1,1,NULL,4,1,'b.result',1,1);");
    auto r = run(t);
    EXPECT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.failed, 0u);
    EXPECT_FALSE(r.complete());
    EXPECT_EQ(r.catalog.unlisted(), 1u);
    EXPECT_EQ(unlistedText(r.gaps), "1 could not be listed");
    EXPECT_EQ(describe(r.gaps.at(0)), "project P (folder p): its database's row 2 cannot be read");
    expectGolden(readText(out / "index.json"), "index-unlisted.json");
}

// index.json names each imported record's verdict conflict: a passing link stored as FAIL disagrees with its
// tests, the same link stored as PASS does not.
TEST_F(FixtureImportTest, TheIndexNamesEachRecordsVerdictConflict) {
    auto& t = tester();
    kx::test::writeMaster(t.root, kx::test::insertProject("P", "p", "1", ""));
    kx::test::writeProject(t.root, "p", {row(1, "FAIL-STORED", "a.result"), row(2, "PASS-STORED", "b.result")},
                           [](const kx::test::ResultRow& r) {
                               const auto stored = r.key == 1 ? Kestrix::Status::fail : Kestrix::Status::pass;
                               return kx::test::copperFile(kx::test::cat6APermanentLinkTest(), r.name.c_str(), &stored);
                           });
    auto r = run(t, false);
    EXPECT_TRUE(r.complete()) << ::testing::PrintToString(r.messages);
    expectGolden(readText(out / "index.json"), "index-verdict-conflict.json");
}

}  // namespace
