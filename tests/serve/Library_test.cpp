// The served folders: what an index may name, result files it does not name, re-test groups and record
// numbers that survive a reload.
#include "ServeTesting.h"

#include "Library.h"

namespace {

std::shared_ptr<Library> load(const std::vector<std::string>& dirs, RecordIds& ids) {
    std::string error;
    auto lib = Library::load(dirs, ids, error);
    EXPECT_TRUE(lib) << error;
    return lib;
}

void appendIndexEntry(const fs::path& dir, const std::string& result) {
    std::string text = kx::test::readText(dir / "index.json");
    const size_t at = text.find("\"records\" : [") + 13;
    text.insert(at, "{\"cableId\":\"X\",\"testerFile\":\"" + result + "\",\"key\":9,\"result\":\"" + result +
                        "\",\"imported\":true},");
    std::ofstream(dir / "index.json") << text;
}

TEST(Library, IndexEntriesOutsideTheFolderAreRefused) {
    const fs::path root = kx::test::freshFolder("serve-lib-outside");
    const fs::path dir = root / "import";
    kx::test::writeImportFolder(dir, {{"P", "", "GOOD", StockKind::copperPass}});
    // A result file outside the folder that a hostile index (or a link) points at.
    kx::test::writeImportFolder(root / "secret", {{"S", "", "SECRET", StockKind::copperFail}});
    fs::create_directories(dir / "P");
    fs::create_symlink(root / "secret", dir / "P" / "link");
    for (const std::string bad : {"../secret/S/SECRET~1.result", "/etc/passwd", "P/../../secret/S/SECRET~1.result",
                                  "P/./x.result", "P//x.result", "P/link/S/SECRET~1.result", "index.json"})
        appendIndexEntry(dir, bad);
    RecordIds ids;
    auto lib = load({dir.string()}, ids);
    std::vector<std::string> kept;
    for (size_t p = 0; p < lib->size(); ++p) {
        std::string error;
        if (!lib->readResult(p, error).empty()) kept.push_back(lib->records()[p].cableId);
    }
    EXPECT_EQ(kept, std::vector<std::string>{"GOOD"});
    ASSERT_FALSE(lib->folders()[0].problems.empty());
    EXPECT_NE(lib->folders()[0].problems[0].find("outside the folder"), std::string::npos);
}

TEST(Library, ResultFilesTheIndexDoesNotNameAreListedFromTheirSummary) {
    const fs::path dir = kx::test::freshFolder("serve-lib-scan");
    kx::test::writeImportFolder(dir, {{"P", "S", "INDEXED", StockKind::copperPass},
                                      {"Q", "T", "LOOSE", StockKind::copperFail, 1793000000, false}});
    std::ofstream(dir / "Q" / "broken.result") << "not a result";
    std::ofstream(dir / "Q" / ".hidden.result") << "a temporary file of an import";
    std::ofstream(dir / "Q" / "T" / "LOOSE~2.json") << "{}";
    RecordIds ids;
    auto lib = load({dir.string()}, ids);
    ASSERT_EQ(lib->size(), 3u);
    const LibraryRecord& loose = lib->records()[1];
    EXPECT_EQ(loose.cableId, "LOOSE");
    // Names are the index's: the folders it lies in do not make a project and site, nor a file beside a record.
    EXPECT_EQ(loose.project, "");
    EXPECT_EQ(loose.site, "");
    EXPECT_EQ(loose.record, "");
    EXPECT_EQ(loose.status, 0);
    EXPECT_EQ(loose.testTime, 1793000000);
    EXPECT_EQ(lib->records()[2].cableId, "");
    EXPECT_NE(lib->folders()[0].problems.back().find("not a readable result file: Q/broken.result"), std::string::npos);
}

TEST(Library, ReTestsGroupLatestFirstAndNumbersSurviveAReload) {
    const fs::path dir = kx::test::freshFolder("serve-lib-groups");
    std::vector<kx::test::FolderRecord> records = {
        {"P", "", "A", StockKind::copperFail, 1000}, {"P", "", "B", StockKind::copperPass, 1500},
        {"P", "", "A", StockKind::copperPass, 3000}, {"P", "", "A", StockKind::copperFail, 2000},
        {"Q", "", "A", StockKind::copperPass, 4000},  // another project: another link
    };
    kx::test::writeImportFolder(dir, records);
    RecordIds ids;
    auto lib = load({dir.string()}, ids);
    ASSERT_EQ(lib->size(), 5u);
    std::vector<int64_t> times;
    for (size_t p : lib->group(0)) times.push_back(lib->records()[p].testTime);
    EXPECT_EQ(times, (std::vector<int64_t>{3000, 2000, 1000}));
    EXPECT_TRUE(lib->isLatest(2));
    EXPECT_FALSE(lib->isLatest(0));
    EXPECT_EQ(lib->groupCount(), 3u);

    RecordFacts f;
    f.row.limit = "kept";
    lib->setFacts(0, f);
    lib->setFacts(1, f);
    // An import adds a record and rewrites another: the numbers stay, only unchanged files keep their facts.
    const auto bytes = Kestrix::Sim::stockResult(StockKind::copperPass, "NEW", 5000);
    kx::test::writeBytes(dir / "A-NEW.result", bytes);
    std::ofstream(dir / lib->records()[1].result, std::ios::binary | std::ios::app) << "x";
    auto again = load({dir.string()}, ids);
    again->adoptFacts(*lib);
    ASSERT_EQ(again->size(), 6u);
    for (size_t p = 0; p < lib->size(); ++p) {
        ASSERT_EQ(again->find(lib->records()[p].id), p);
        EXPECT_EQ(again->records()[p].result, lib->records()[p].result);
    }
    EXPECT_EQ(again->records().back().cableId, "NEW");
    ASSERT_NE(again->facts(0), nullptr);
    EXPECT_EQ(again->facts(0)->row.limit, "kept");
    EXPECT_EQ(again->facts(1), nullptr);
    EXPECT_EQ(again->find(0), Library::npos);
    EXPECT_EQ(again->find(999), Library::npos);
}

TEST(Library, IsoTimesParseStrictly) {
    EXPECT_EQ(parseIsoTime("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(parseIsoTime("2026-11-03T08:35:00Z"), 1793694900);
    EXPECT_EQ(timeText(1793694900), "2026-11-03 08:35");
    for (const char* bad : {"", "2026-11-03", "2026-13-03T08:35:00Z", "2026-11-03T08:35:00", "2026-1a-03T08:35:00Z"})
        EXPECT_EQ(parseIsoTime(bad), kNoTime) << bad;
}

}  // namespace
