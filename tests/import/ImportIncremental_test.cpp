// The import job run again into the same folder, driven as a library caller drives it: what is fetched
// again and what is not, progress, cancellation, and the host record file that `kestrix record` prints too.

#include <sys/stat.h>

#include <atomic>

#include "ImportFixtures.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"

namespace {

using ImportIncremental = StockedTesterTest;

// Inode and modification time of every file below `dir`: a file rewritten, even with the same bytes, changes.
std::map<std::string, std::pair<ino_t, int64_t>> fileStamps(const fs::path& dir) {
    std::map<std::string, std::pair<ino_t, int64_t>> out;
    for (const auto& f : filesUnder(dir)) {
        struct stat st {};
        EXPECT_EQ(::stat((dir / f).c_str(), &st), 0) << f;
        out[f] = {st.st_ino, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    return out;
}

// Every host record file is what `kestrix record --json` gives for its result; a second run over an unchanged
// tester fetches and rewrites nothing, and marks what the folder already holds.
TEST_F(ImportIncremental, HostRecordsAreRecordJsonsAndASecondImportOfAnUnchangedTesterFetchesNothing) {
    auto first = run(false);
    ASSERT_TRUE(first.complete());
    ASSERT_EQ(first.newRecords, first.records.size());
    EXPECT_EQ(resultDownloads(*sim).size(), first.records.size());
    EXPECT_TRUE(marks().empty());
    std::string why;
    auto folder = ImportFolder::open(out, &why);
    ASSERT_TRUE(folder) << why;
    ImportFolders folders;
    for (const auto& rec : first.records) {
        // As `kestrix record --json` builds it: the file's bytes, the project and site the index gives.
        const auto* entry = folders.entryOfResult(out / rec.result);
        ASSERT_TRUE(entry) << rec.result;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(PFile::readFileBytes((out / rec.result).string(), bytes));
        Kestrix::Tester::TestRecordTarvel record(bytes);
        Kestrix::Tester::TarvelCom::setImportedMetaData(record, entry->project, entry->site);
        const std::string text = readText(out / rec.record);
        EXPECT_EQ(Kestrix::Tester::hostRecordFile(record), text) << rec.record;
        // One line of compact JSON.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << rec.record;
        EXPECT_EQ(*folder->recordPathOf(out / rec.result), fs::canonical(out) / rec.record);
    }
    const auto stamps = fileStamps(out);

    sim->clearJournal();
    auto second = run(true);
    EXPECT_TRUE(second.complete());
    EXPECT_EQ(second.newRecords, 0u);
    EXPECT_EQ(second.alreadyThere, first.records.size());
    EXPECT_EQ(second.bytes, 0u);
    // The transfer log holds the databases only.
    EXPECT_EQ(resultDownloads(*sim), std::vector<std::string>{});
    EXPECT_FALSE(sim->downloads().empty());
    // Nothing but the index was written again.
    auto after = fileStamps(out);
    after.erase("index.json");
    auto before = stamps;
    before.erase("index.json");
    EXPECT_EQ(after, before);
    // The index still names every record with its files.
    expectImportedAsOnTester();
    expectGolden(readText(out / "index.json"), "index-stock.json");
    for (const auto& rec : second.records) {
        const auto& sum = second.catalog.summaries[rec.index];
        EXPECT_EQ(uploadedFlags(onTester(sum.folder + "/project.sql"))[sum.key], 1) << sum.fileName;
    }
    for (const auto& p : second.projects) {
        EXPECT_TRUE(p.markingAsked) << p.folder;
        EXPECT_TRUE(p.marking.marked) << p.folder << ": " << p.marking.reason;
        EXPECT_EQ(p.held, p.listed);
    }
}

TEST_F(ImportIncremental, OnlyWhatChangedOrIsDamagedIsFetchedAgain) {
    auto first = run(false);
    ASSERT_TRUE(first.complete());
    const auto& sums = first.catalog.summaries;
    ASSERT_GE(first.records.size(), 4u);
    const RecordOutcome& flipped = first.records[0];
    const RecordOutcome& noRecord = first.records[1];
    const RecordOutcome& cut = first.records[2];
    // A byte of one result changed, another's host record gone, a third result cut short: each is fetched
    // again, the others are not.
    std::string bytes = readText(out / flipped.result);
    bytes[bytes.size() / 2] ^= 0x20;
    writeText(out / flipped.result, bytes);
    fs::remove(out / noRecord.record);
    fs::resize_file(out / cut.result, 10);
    sim->clearJournal();
    auto second = run(false);
    EXPECT_TRUE(second.complete());
    EXPECT_EQ(second.newRecords, 3u);
    EXPECT_EQ(second.alreadyThere, first.records.size() - 3);
    std::set<std::string> fetched;
    for (const auto& p : resultDownloads(*sim)) fetched.insert(p);
    const std::string root = std::string(Kestrix::Tester::kTesterProjectsRoot);
    EXPECT_EQ(fetched, (std::set<std::string>{root + sums[flipped.index].fileName, root + sums[noRecord.index].fileName,
                                              root + sums[cut.index].fileName}));
    for (const auto* r : {&flipped, &noRecord, &cut})
        EXPECT_EQ(readText(out / r->result), readText(onTester(sums[r->index].fileName)));
    EXPECT_TRUE(fs::is_regular_file(out / noRecord.record));

    // --all fetches and writes everything again.
    sim->clearJournal();
    auto o = options(false);
    o.all = true;
    auto all = runImport(o);
    EXPECT_TRUE(all.complete());
    EXPECT_EQ(all.newRecords, first.records.size());
    EXPECT_EQ(resultDownloads(*sim).size(), first.records.size());
}

TEST_F(ImportIncremental, ProgressIsToldAndACancelledJobKeepsWhatArrivedAndMarksNothing) {
    std::atomic<bool> cancel{false};
    std::vector<ImportProgress> seen;
    auto o = options(true);
    o.cancel = &cancel;
    o.progress = [&](const ImportProgress& p) {
        seen.push_back(p);
        // Stop once the first file has come.
        if (p.stage == ImportProgress::Stage::Fetching && p.bytes > 0) cancel = true;
    };
    auto r = runImport(o);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.complete());
    EXPECT_GT(r.notFetched, 0u);
    EXPECT_EQ(r.failed, 0u);
    EXPECT_EQ(r.newRecords + r.notFetched, r.records.size());
    EXPECT_TRUE(marks().empty());
    EXPECT_EQ(r.markingProblem, "the import was cancelled");
    // What arrived is in the folder and the index; what did not is not.
    const Json::Value index = parseJson(readText(out / "index.json"));
    size_t imported = 0;
    for (const auto& e : index["records"]) imported += e["imported"].asBool() ? 1 : 0;
    EXPECT_EQ(imported, r.newRecords);
    // Stages in order, counts never going back, and the total known from the start of the fetching.
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().stage, ImportProgress::Stage::Listing);
    EXPECT_EQ(seen.back().stage, ImportProgress::Stage::Done);
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(int(seen[i].stage), int(seen[i - 1].stage));
        EXPECT_GE(seen[i].settled, seen[i - 1].settled);
        if (seen[i].stage >= ImportProgress::Stage::Fetching) {
            EXPECT_EQ(seen[i].total, r.records.size());
        }
    }

    // The next run takes up where it stopped.
    sim->clearJournal();
    auto rest = run(true);
    EXPECT_TRUE(rest.complete());
    EXPECT_EQ(rest.alreadyThere, r.newRecords);
    EXPECT_EQ(rest.newRecords, r.notFetched);
    EXPECT_EQ(resultDownloads(*sim).size(), r.notFetched);
}

}  // namespace
