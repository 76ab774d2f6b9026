// The importer against a simulated tester whose databases each test writes itself.

#include <algorithm>
#include <cmath>
#include <map>

#include "core/Golden.h"
#include "core/SqliteFixtures.h"
#include "tester/TesterFixture.h"
#include "fiber/FiberBuilders.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"

using namespace Kestrix::Tester;
namespace fs = std::filesystem;

namespace {

const fs::path kProjects = "microsd_userdata/projects";

class TarvelImportTest : public kx::test::TesterLinkTest {
protected:
    void SetUp() override {
        kx::test::TesterLinkTest::SetUp();
        Err::TakePending();
    }

    TarvelCom& open() { return connectTarvel({}, "Lumetra KX1000001"); }

    void master(const std::string& rows) { kx::test::writeMaster(root, rows); }
    // A project folder with its database and one result file per row, named by the row's cable id.
    void project(const std::string& dir, const std::vector<kx::test::ResultRow>& rows) {
        kx::test::writeProject(root, dir, rows, [](const kx::test::ResultRow& r) {
            return kx::test::lossLengthResultFile(r.name.c_str());
        });
    }
    static kx::test::ResultRow row(int64_t key, const std::string& name, const std::string& file) {
        kx::test::ResultRow r;
        r.key = key;
        r.name = name;
        r.fileName = file;
        r.fileSize = 100 + key;
        return r;
    }
};

TEST_F(TarvelImportTest, ListsProjectsSitesAndOrphansWithTheirLengths) {
    master(kx::test::insertProject("Campus", "campus", "1", "") +
           kx::test::insertProject("Bldg B", "bldg b", "2", "1") +
           kx::test::insertProject("Orphan", "orphan", "3", "77") + kx::test::insertProject("", "nameless", "4", "") +
           "INSERT INTO Projects VALUES('Broken', NULL, '5', '');" +
           kx::test::insertProject("No files", "nofiles", "6", ""));
    auto a = row(1, "A-1", "a1.result");
    a.lengthScaledValue = 0x80000001LL;  // unknown length
    auto b = row(2, "A-2", "a2.result");
    b.lengthScaledValue = 0x80000000LL;  // not the unknown code: a number
    b.lengthScaleFactor = 0;
    auto c = row(3, "A-3", "a3.result");
    c.lengthScaledValue = -12345;
    c.lengthScaleFactor = 2;
    auto d = row(4, "A-4", "a4.result");
    d.lengthScaleFactor = 4000000000000000000LL;  // a huge factor ends at 0, quickly
    project("campus", {a, b, c, d});
    project("bldg b", {row(1, "B-1", "b1.result")});
    project("orphan", {row(9, "O-1", "o1.result")});
    project("nameless", {row(5, "N-1", "n1.result")});

    // The databases are fetched into a private folder that is removed.
    const fs::path tmp = kx::test::freshFolder("tmpdir");
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);
    auto& com = open();
    const int n = com.GetRecordCount();
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    ASSERT_EQ(n, 6);
    EXPECT_TRUE(fs::is_empty(tmp));
    fs::remove_all(tmp);
    // A parent id nobody has: listed under its own name, with its own name as site.
    std::string listed;
    for (const auto& x : com.summaries())
        listed += x.project + " | " + x.site + " | " + x.id + " | " + std::to_string(x.lengthM) + " | " + x.fileName +
                  " | " + x.keyProject + " | " + x.folder + "\n";
    kx::test::expectGolden(listed, "session/golden/listing.txt");

    ImportRecCatalog catalog;
    TaskManager tm;
    ASSERT_EQ(com.ReadImportRecInfo(&catalog, false, &tm), ImportStatus::kDone);
    EXPECT_EQ(tm.steps(), 6);
    // Unknown and negative lengths are qualified unknown; the tester's "Pass" is host status 4.
    kx::test::expectGolden(catalog.toJson(), "session/golden/catalog.json");
}

// A stored length is the scaled value divided by ten `factor` times (not at all for 0 or less); the low 32 bits
// 0x80000001 mean unknown, whatever the bits above them.
TEST(TarvelImportLength, ScaledValueAndFactor) {
    struct Case {
        int64_t value;
        int64_t factor;
        double metres;  // NaN: unknown
    };
    const double unknown = std::nan("");
    const Case cases[] = {
        {1234, 0, 1234.0},
        {1234, 1, 123.4},
        {-12345, 2, -123.45},
        {1234, -1, 1234.0},
        {1234, INT64_MIN, 1234.0},
        {1, INT64_MAX, 0.0},
        {5000000000LL, 2, 50000000.0},
        {0x80000000LL, 0, 2147483648.0},
        {0x80000002LL, 1, 214748365.0},
        {0x80000001LL, 0, unknown},
        {-2147483647LL, 1, unknown},
        {0x180000001LL, 0, unknown},
    };
    for (const Case& c : cases) {
        const double m = storedLengthMeters(c.value, c.factor);
        if (std::isnan(c.metres))
            EXPECT_TRUE(std::isnan(m)) << c.value << " / 10^" << c.factor << " = " << m;
        else
            EXPECT_NEAR(m, c.metres, 1e-9 * std::max(1.0, std::fabs(c.metres))) << c.value << " / 10^" << c.factor;
    }
}

TEST_F(TarvelImportTest, UnreadableDatabases) {
    auto& com = open();
    fs::remove(root / kProjects / "master.sql");  // the simulator starts with an empty one
    EXPECT_EQ(com.GetRecordCount(), 0);           // no master database at all
    EXPECT_FALSE(com.listingProblem().empty());

    kx::test::writeBytes(root / kProjects / "master.sql", kx::test::randomBytes(2048, 1));
    EXPECT_EQ(com.GetRecordCount(), 0);
    EXPECT_NE(com.listingProblem().find("master database"), std::string::npos);
    ImportRecCatalog catalog;
    EXPECT_EQ(com.ReadImportRecInfo(&catalog, false, nullptr), ImportStatus::kBadCall);
    EXPECT_EQ(com.ReadImportRecInfo(nullptr, false, nullptr), ImportStatus::kBadCall);
    auto messages = Err::TakePending();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "Summary Count zero");
    EXPECT_EQ(messages[1].text, "Null import rec catalog argument");
}

class BatchTest : public TarvelImportTest {
protected:
    void SetUp() override {
        TarvelImportTest::SetUp();
        master(kx::test::insertProject("P", "p", "1", ""));
        std::vector<kx::test::ResultRow> rows;
        for (int i = 0; i < 12; ++i)
            rows.push_back(row(i + 1, "C-" + std::to_string(i), "r" + std::to_string(i) + ".result"));
        project("p", rows);
        auto& com = open();
        kx::test::LogCapture log;
        ASSERT_EQ(com.GetRecordCount(), 12);
        // Sound databases: nothing is reported as damaged.
        for (const auto& r : log.records) EXPECT_NE(r.level, LogLevel::Error) << r.text;
        EXPECT_TRUE(com.listingProblem().empty());
    }
    std::vector<uint8_t> stored(int i) const {
        return kx::test::readHostFile(root / kProjects / "p" / ("r" + std::to_string(i) + ".result"));
    }
};

TEST_F(BatchTest, BatchOfOneIsFetchedWithoutTheGroupReadAndMoreThanTenNotAtAll) {
    kx::test::LogCapture log;
    ImportBatchDefn one{3, 4};
    ASSERT_EQ(tarvel->ReadRecordBatch(&one, nullptr), ImportStatus::kDone);
    bool direct = false;
    for (const auto& r : log.records)
        direct |= r.context.find("Reading batch of records > Kestrix: ReadMemory from tester") != std::string::npos;
    EXPECT_TRUE(direct);
    std::unique_ptr<TestRecordTarvel> rec;
    const int64_t key = 3;
    ASSERT_EQ(tarvel->ReadTestRecord(rec, &key, 1, nullptr), ImportStatus::kDone);
    EXPECT_EQ(rec->SerializedResult(), stored(3));

    kx::test::LogCapture groupLog;
    ImportBatchDefn three{0, 3};
    ASSERT_EQ(tarvel->ReadRecordBatch(&three, nullptr), ImportStatus::kDone);
    for (const auto& r : groupLog.records) EXPECT_EQ(r.context.find("ReadMemory"), std::string::npos) << r.context;
    // More than ten files are not read.
    ImportBatchDefn eleven{0, 11};
    EXPECT_EQ(tarvel->ReadRecordBatch(&eleven, nullptr), ImportStatus::kFailed);
    auto m = Err::TakePending();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.back().text, "Failed reading file group");
}

// Record 4 is gone, record 5 is over the result-file cap: each fails alone.
TEST_F(BatchTest, RecordsOfABatchAndTheirFailures) {
    ImportBatchDefn batch{0, 10};
    fs::remove(root / kProjects / "p" / "r4.result");
    kx::test::writeBytes(root / kProjects / "p" / "r5.result", kx::test::randomBytes(100000, 5));
    DownloadLimits limits;
    limits.resultFile = 50000;
    tarvel->setDownloadLimits(limits);
    kx::test::LogCapture log;
    ASSERT_EQ(tarvel->ReadRecordBatch(&batch, nullptr), ImportStatus::kDone);
    EXPECT_TRUE(log.has("SCP exception: scp: /microsd_userdata/projects/p/r5.result is larger than 50000 bytes"));
    std::unique_ptr<TestRecordTarvel> rec;
    for (int64_t i = 0; i < 10; ++i) {
        Err::TakePending();
        const int st = tarvel->ReadTestRecord(rec, &i, 1, nullptr);
        if (i == 4 || i == 5) {
            EXPECT_EQ(st, ImportStatus::kFailed) << i;
            auto m = Err::TakePending();
            ASSERT_EQ(m.size(), 1u);
            EXPECT_EQ(m[0].errorId, 6);
            EXPECT_EQ(m[0].severity, 1);
            EXPECT_EQ(m[0].subject, "p/r" + std::to_string(i) + ".result");
            EXPECT_EQ(m[0].text, "Failed to read record.");
            continue;
        }
        ASSERT_EQ(st, ImportStatus::kDone) << i;
        EXPECT_EQ(rec->SerializedResult(), stored(static_cast<int>(i)));
        EXPECT_EQ(rec->GetMetaData().Project, "P");
        EXPECT_EQ(rec->GetMetaData().CloudProjectID, "NAME:P");
    }
    ASSERT_EQ(tarvel->uploadKeys().size(), 1u);
    EXPECT_EQ(tarvel->uploadKeys()[0].Folder(), "p");         // keys go by the tester folder
    EXPECT_EQ(tarvel->uploadKeys()[0].GetKeys().size(), 8u);  // not the records that did not arrive

    int64_t outside = 12;
    EXPECT_EQ(tarvel->ReadTestRecord(rec, &outside, 1, nullptr), ImportStatus::kFailed);
    EXPECT_EQ(tarvel->ReadTestRecord(rec, nullptr, 1, nullptr), ImportStatus::kFailed);
    int64_t k = 0;
    EXPECT_EQ(tarvel->ReadTestRecord(rec, &k, 0, nullptr), ImportStatus::kFailed);
    EXPECT_EQ(Err::TakePending().back().text, "Null record key argument");
    // A record of another batch: not loaded, and the batch is forgotten.
    int64_t later = 11;
    EXPECT_EQ(tarvel->ReadTestRecord(rec, &later, 1, nullptr), ImportStatus::kNotLoaded);
    EXPECT_EQ(tarvel->ReadTestRecord(rec, &k, 1, nullptr), ImportStatus::kNotLoaded);
    EXPECT_EQ(tarvel->ReadRecordBatch(nullptr, nullptr), ImportStatus::kFailed);
}

TEST_F(BatchTest, ADroppedConnectionIsRetriedOnANewOne) {
    Kestrix::Sim::SimFaults faults;
    faults.dropAfterScpBytes = 350;  // inside the fourth file
    sim->setFaults(faults);
    ImportBatchDefn batch{0, 10};
    ASSERT_EQ(tarvel->ReadRecordBatch(&batch, nullptr), ImportStatus::kDone);
    EXPECT_TRUE(Err::TakePending().empty());
    std::unique_ptr<TestRecordTarvel> rec;
    for (int64_t i = 0; i < 10; ++i) {
        ASSERT_EQ(tarvel->ReadTestRecord(rec, &i, 1, nullptr), ImportStatus::kDone) << i;
        EXPECT_EQ(rec->SerializedResult(), stored(static_cast<int>(i)));
    }
}

TEST_F(BatchTest, ALostConnectionIsReportedOnceAndKeepsWhatArrived) {
    ImportBatchDefn first{0, 3};
    ASSERT_EQ(tarvel->ReadRecordBatch(&first, nullptr), ImportStatus::kDone);
    std::unique_ptr<TestRecordTarvel> rec;
    for (int64_t i = 0; i < 3; ++i) ASSERT_EQ(tarvel->ReadTestRecord(rec, &i, 1, nullptr), ImportStatus::kDone);

    Kestrix::Sim::SimFaults faults;
    faults.dropAfterScpBytes = 400;  // inside the next batch
    faults.refuseLogin = true;       // the tester does not take the connection back
    sim->setFaults(faults);
    ImportBatchDefn batch{3, 10};
    EXPECT_EQ(tarvel->ReadRecordBatch(&batch, nullptr), ImportStatus::kFailed);
    // Files that arrived before the drop are records; the others are not loaded.
    for (int64_t i = 3; i < 10; ++i) {
        const int st = tarvel->ReadTestRecord(rec, &i, 1, nullptr);
        if (st != ImportStatus::kDone) {
            EXPECT_EQ(st, ImportStatus::kNotLoaded);
            break;
        }
        EXPECT_EQ(rec->SerializedResult(), stored(static_cast<int>(i)));
    }
    ImportBatchDefn next{10, 12};
    EXPECT_EQ(tarvel->ReadRecordBatch(&next, nullptr), ImportStatus::kFailed);
    int lost = 0;
    for (const auto& m : Err::TakePending()) {
        if (m.errorId == 21) {
            ++lost;
            EXPECT_EQ(m.severity, 3);
            EXPECT_EQ(m.text, "Lost Connection to tester");
            EXPECT_EQ(m.subject, "Lumetra KX1000001");
        }
    }
    EXPECT_EQ(lost, 1);
    // Only the records built are on the upload list.
    ASSERT_EQ(tarvel->uploadKeys().size(), 1u);
    EXPECT_GE(tarvel->uploadKeys()[0].GetKeys().size(), 3u);
    EXPECT_LT(tarvel->uploadKeys()[0].GetKeys().size(), 10u);
}

TEST(UploadList, KeysCutTo32BitsInOneSectionMarkedWithinATimeOutPerThousandKeys) {
    const std::vector<int64_t> keys{1, -2, 0x100000005LL, 70000};
    const auto file = TarvelCom::uploadListFile(keys);
    PFile::MemReader reader;
    ASSERT_EQ(reader.open(file.data(), static_cast<int32_t>(file.size())), 0);
    PFile::Section s;
    ASSERT_EQ(reader.read(s, true), 0);
    EXPECT_EQ(s.type(), PFile::SectionType::UploadList);
    EXPECT_EQ(s.header.version, 1);
    EXPECT_EQ(s.header.flags, 0);
    ASSERT_EQ(s.size(), 16u);
    const std::vector<uint8_t> payload(s.data(), s.data() + s.size());
    EXPECT_EQ(payload, (std::vector<uint8_t>{1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0, 0x70, 0x11, 1, 0}));
    PFile::Section none;
    EXPECT_EQ(reader.read(none, true), -2);
    EXPECT_EQ(TarvelCom::markingTimeoutMs(1), 3000);
    EXPECT_EQ(TarvelCom::markingTimeoutMs(999), 3000);
    EXPECT_EQ(TarvelCom::markingTimeoutMs(1000), 6000);
    EXPECT_EQ(TarvelCom::markingTimeoutMs(10000), 33000);
}

std::vector<std::string> gapTexts(const TarvelCom& com) {
    std::vector<std::string> out;
    for (const auto& g : com.listingGaps())
        out.push_back(g.project + " / " + g.folder + ": " + g.reason + " [" + std::to_string(g.records) + "]");
    return out;
}

}  // namespace

TEST_F(TarvelImportTest, EveryPartOfTheDatabasesThatCannotBeReadIsNamed) {
    master(kx::test::insertProject("Good", "good", "1", "") + kx::test::insertProject("Missing", "missing", "2", "") +
           kx::test::insertProject("Garbled", "garbled", "3", "") + kx::test::insertProject("Holes", "holes", "4", "") +
           "INSERT INTO Projects VALUES('Broken', NULL, '5', '');");
    project("good", {row(1, "G-1", "g1.result"), row(2, "G-2", "g2.result")});
    fs::create_directories(root / kProjects / "missing");
    project("garbled", {row(1, "X", "x.result")});
    kx::test::writeBytes(root / kProjects / "garbled" / "project.sql", kx::test::randomBytes(4096, 2));
    std::vector<kx::test::ResultRow> holes;
    for (int i = 1; i <= 6; ++i) holes.push_back(row(i, "H-" + std::to_string(i), "h" + std::to_string(i) + ".result"));
    project("holes", holes);
    // Rows 2-3 and 5 lose a cell; the rows after them are still results.
    kx::test::makeDb(root / kProjects / "holes" / "project.sql",
                     std::string(kx::test::kResultsSchema) + kx::test::insertResult(holes[0]) +
                         "INSERT INTO Results VALUES(2,1,1,NULL,4,1,'h2.result',1,1);"
                         "INSERT INTO Results VALUES(3,1,1,'H-3',4,1,NULL,1,1);" +
                         kx::test::insertResult(holes[3]) + "INSERT INTO Results VALUES(NULL,1,1,'H-5',4,1,'h5',1,1);" +
                         kx::test::insertResult(holes[5]));

    auto& com = open();
    ASSERT_EQ(com.GetRecordCount(), 5);
    std::vector<std::string> ids;
    for (const auto& s : com.summaries()) ids.push_back(s.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"G-1", "G-2", "H-1", "H-4", "H-6"}));
    // The master's row 5; a database missing, one garbled, and rows 2-3 and 5 of another.
    std::string gaps;
    for (const auto& text : gapTexts(com)) gaps += text + "\n";
    kx::test::expectGolden(gaps, "session/golden/gaps.txt");
}

TEST_F(TarvelImportTest, ALinkLostWhileListingIsMadeAgainOnceThenTheRestIsNamed) {
    master(kx::test::insertProject("A", "a", "1", "") + kx::test::insertProject("B", "b", "2", "") +
           kx::test::insertProject("C", "c", "3", ""));
    for (const char* dir : {"a", "b", "c"}) project(dir, {row(1, "X", "x.result"), row(2, "Y", "y.result")});
    auto& com = open();
    // The master database and then a project's database dropped once each: both come on a new connection.
    sim->setFaults(faults([](auto& f) { f.dropDuringDownload = 1; }));
    EXPECT_EQ(com.GetRecordCount(), 6);
    EXPECT_TRUE(com.listingGaps().empty()) << ::testing::PrintToString(gapTexts(com));
    sim->setFaults(faults([](auto& f) { f.dropListing = 1; }));
    EXPECT_EQ(com.GetRecordCount(), 6);
    EXPECT_TRUE(com.listingGaps().empty()) << ::testing::PrintToString(gapTexts(com));
    // Dropped again on the new connection: one reconnection per listing, so every project left is named.
    sim->setFaults(faults([](auto& f) { f.dropListing = 2; }));
    EXPECT_EQ(com.GetRecordCount(), 0);
    ASSERT_EQ(com.listingGaps().size(), 3u) << ::testing::PrintToString(gapTexts(com));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(com.listingGaps()[i].folder, std::string(1, char('a' + i)));
        EXPECT_EQ(com.listingGaps()[i].reason.rfind("its database could not be fetched", 0), 0u)
            << com.listingGaps()[i].reason;
    }
}

TEST_F(TarvelImportTest, AFolderListedTwiceIsListedOnce) {
    std::string rows;
    for (int i = 0; i < 50; ++i)
        rows += kx::test::insertProject("P" + std::to_string(i), "same", std::to_string(i), "");
    master(rows);
    project("same", {row(1, "X", "x.result"), row(2, "Y", "y.result")});
    auto& com = open();
    EXPECT_EQ(com.GetRecordCount(), 2);
    EXPECT_EQ(com.summaries()[0].project, "P0");
}

TEST_F(TarvelImportTest, OnlyARecordThatDecodesIsImportedAndMarked) {
    master(kx::test::insertProject("P", "p", "1", ""));
    std::vector<kx::test::ResultRow> rows;
    for (int i = 1; i <= 4; ++i) rows.push_back(row(i, "C-" + std::to_string(i), "c" + std::to_string(i) + ".result"));
    rows[0].fileSize = 0;  // the database does not know the size of the file that arrives cut
    const auto good = kx::test::lossLengthResultFile("C-4");
    rows[3].fileSize = static_cast<int64_t>(good.size()) + 7;  // a whole result whose size the database gets wrong
    project("p", rows);
    // Zeros where a result belongs.
    kx::test::writeBytes(root / kProjects / "p" / "c2.result", std::vector<uint8_t>(3000, 0));
    auto& com = open();
    ASSERT_EQ(com.GetRecordCount(), 4);
    sim->setFaults(faults([](auto& f) { f.truncateFile = "c1.result"; }));
    ImportBatchDefn all{0, 4};
    ASSERT_EQ(com.ReadRecordBatch(&all, nullptr), ImportStatus::kDone);
    kx::test::LogCapture log;
    std::unique_ptr<TestRecordTarvel> rec;
    std::vector<int> status;
    for (int64_t i = 0; i < 4; ++i) status.push_back(com.ReadTestRecord(rec, &i, 1, nullptr));
    EXPECT_EQ(status, (std::vector<int>{ImportStatus::kFailed, ImportStatus::kFailed, ImportStatus::kDone,
                                        ImportStatus::kDone}));
    EXPECT_EQ(rec->SerializedResult(), good);
    EXPECT_TRUE(log.has("Record size differs from the tester's database"));
    int unreadable = 0;
    for (const auto& m : Err::TakePending()) unreadable += m.text == "Failed to read record." ? 1 : 0;
    EXPECT_EQ(unreadable, 2);
    ASSERT_EQ(com.uploadKeys().size(), 1u);
    EXPECT_EQ(com.uploadKeys()[0].GetKeys(), (std::vector<int64_t>{3, 4}));
}

TEST_F(TarvelImportTest, MarkingGoesByFolderQuotedAndNeverByASharedName) {
    // Two projects each with a site "Floor 1"; the tester finds a folder by its name, so neither site can be marked.
    // A site of its own name is marked in its own database.
    const std::string hostile = "Q\"$(touch /tmp/x)`id`";
    master(kx::test::insertProject(hostile, "n", "1", "") + kx::test::insertProject("South", "s", "2", "") +
           kx::test::insertProject("Floor 1", "n1", "3", "1") + kx::test::insertProject("Floor 1", "s1", "4", "2") +
           kx::test::insertProject("Big", "big", "5", "") + kx::test::insertProject("Site", "site", "6", "2"));
    project("n", {row(1, "N", "n.result"), row(2, "N-2", "n2.result")});
    project("s", {row(1, "S", "s.result")});
    project("n1", {row(1, "N1", "a.result")});
    project("s1", {row(2, "S1", "b.result")});
    project("big", {row(0x100000005LL, "Huge key", "h.result"), row(7, "Small key", "k.result")});
    project("site", {row(3, "T", "t.result")});
    auto& com = open();
    ASSERT_EQ(com.GetRecordCount(), 8);
    ImportBatchDefn all{0, 8};
    ASSERT_EQ(com.ReadRecordBatch(&all, nullptr), ImportStatus::kDone);
    std::unique_ptr<TestRecordTarvel> rec;
    for (int64_t i = 0; i < 8; ++i) ASSERT_EQ(com.ReadTestRecord(rec, &i, 1, nullptr), ImportStatus::kDone);
    com.forgetUploadKey("n", 2);  // the caller could not keep record N-2
    sim->clearJournal();
    com.FinishImport();
    std::vector<std::string> marks;
    for (const auto& line : sim->journal())
        if (line.rfind("smmarkuploaded", 0) == 0) marks.push_back(line);
    EXPECT_EQ(marks,
              (std::vector<std::string>{"smmarkuploaded -q -p \"Q\\\"\\$(touch /tmp/x)\\`id\\`\" -f '/tmp/uplist0'",
                                        "smmarkuploaded -q -p \"South\" -f '/tmp/uplist1'",
                                        "smmarkuploaded -q -p \"Big\" -f '/tmp/uplist4'",
                                        "smmarkuploaded -q -p \"Site\" -f '/tmp/uplist5'"}));
    EXPECT_EQ(kx::test::readHostFile(root / "tmp" / "uplist0"), TarvelCom::uploadListFile({1}));
    EXPECT_EQ(kx::test::readHostFile(root / "tmp" / "uplist4"), TarvelCom::uploadListFile({7}));

    std::map<std::string, FolderMarking> byFolder;
    for (const auto& m : com.markImported()) byFolder[m.folder] = m;
    ASSERT_EQ(byFolder.size(), 6u);
    for (const char* marked : {"n", "s", "big", "site"}) EXPECT_TRUE(byFolder[marked].marked) << marked;
    for (const char* site : {"n1", "s1"}) {
        EXPECT_FALSE(byFolder[site].marked);
        EXPECT_EQ(byFolder[site].project, "Floor 1");
        EXPECT_NE(byFolder[site].reason.find("2 project folders"), std::string::npos) << byFolder[site].reason;
    }
    EXPECT_EQ(byFolder["big"].keys, 1u);
    EXPECT_EQ(byFolder["big"].outOfRange, 1u);

    // A tester that refuses: reported per folder, not as marked.
    sim->setFaults(faults([](auto& f) { f.failCommand = "smmarkuploaded"; }));
    for (const auto& m : com.markImported()) {
        if (m.folder != "n") continue;
        EXPECT_EQ(m.reason, "the tester answered \"OP_FAILED\"");
    }
}
