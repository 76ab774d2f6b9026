// The viewer's tester link over the import job, against a stocked simulator: what a probe counts as lacking is
// what an import then writes as new, a cancelled import fetches nothing, and a tester that is not there is
// said to be absent.
#include "CliFixture.h"

#include <algorithm>

#include "ServeImporter.h"
#include "tester/import/ImportFolder.h"

namespace {

class ServeImporterTest : public kx::test::CliFixture {};

TEST_F(ServeImporterTest, WhatAProbeCountsAsLackingIsWhatAnImportWritesAsNew) {
    const fs::path out = kx::test::freshFolder("serve-importer-out");
    kx::cli::TesterLink link;
    link.ip = sim->address();
    kx::cli::ServeImporter importer(link, false);
    std::atomic<bool> cancel{false};
    const kx::serve::TesterState first = importer.probe(out.string());
    ASSERT_TRUE(first.attached) << first.problem;
    EXPECT_EQ(first.address, sim->address());
    EXPECT_EQ(first.name, "Lumetra KX1000001");
    ASSERT_GE(first.held, 10u);
    const size_t held = first.held;

    // Each step changes the folder, then a probe counts what is lacking and an import fetches just that.
    const auto probeAndImport = [&](size_t missing, const char* what) {
        const kx::serve::TesterState state = importer.probe(out.string());
        EXPECT_EQ(state.missing, missing) << what;
        std::vector<kx::serve::ImportProgress> progress;
        const kx::serve::ImportOutcome outcome = importer.import(
            state.address, out.string(), [&](const kx::serve::ImportProgress& p) { progress.push_back(p); }, cancel);
        EXPECT_TRUE(outcome.ok) << what << ": " << outcome.message;
        EXPECT_EQ(outcome.newRecords, missing) << what;
        EXPECT_EQ(outcome.alreadyThere, held - missing) << what;
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back().done, held);
        EXPECT_EQ(progress.back().total, held);
    };
    probeAndImport(held, "an empty folder");
    probeAndImport(0, "everything there");
    const auto folder = Kestrix::Import::ImportFolder::open(out);
    ASSERT_TRUE(folder);
    fs::remove(out / folder->entries().at(1).result);
    fs::remove(out / folder->entries().at(3).record);
    probeAndImport(2, "a result and a host record gone");
    const auto journal = sim->journal();  // imported without marking
    EXPECT_TRUE(std::none_of(journal.begin(), journal.end(),
                             [](const std::string& line) { return line.rfind("smmarkuploaded", 0) == 0; }));

    // Cancelled before it starts fetching: nothing new, and the job is not called done.
    cancel = true;
    const fs::path other = kx::test::freshFolder("serve-importer-cancelled");
    const kx::serve::ImportOutcome cancelled = importer.import(sim->address(), other.string(), nullptr, cancel);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.newRecords, 0u);
    EXPECT_EQ(cancelled.notFetched, held);
    EXPECT_NE(cancelled.message.find("cancelled"), std::string::npos) << cancelled.message;
    cancel = false;

    sim->stop();
    const kx::serve::TesterState gone = importer.probe(out.string());
    EXPECT_FALSE(gone.attached);
    EXPECT_FALSE(gone.problem.empty());
    const kx::serve::ImportOutcome failed = importer.import(sim->address(), out.string(), nullptr, cancel);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.message.find("cannot connect"), std::string::npos) << failed.message;
}

}  // namespace
