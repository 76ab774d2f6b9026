// The viewer's tester link over the import job, against a stocked simulator: what a probe counts as lacking is
// what an import then writes as new, a cancelled import fetches nothing, and a tester that is not there is
// said to be absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ServeImporter.h"
#include "SimStock.h"
#include "TesterSim.h"
#include "core/TestFiles.h"
#include "tester/import/ImportFolder.h"

namespace fs = std::filesystem;

namespace {

TEST(ServeImporter, WhatAProbeCountsAsLackingIsWhatAnImportWritesAsNew) {
    const fs::path root = kx::test::freshFolder("serve-importer-tester");
    const fs::path out = kx::test::freshFolder("serve-importer-out");
    Kestrix::Sim::stockTester(root, {});
    Kestrix::Sim::SimOptions so;
    so.root = root;
    Kestrix::Sim::TesterSim sim(so);
    sim.start();

    kx::cli::TesterLink link;
    link.ip = sim.address();
    kx::cli::ServeImporter importer(link, false);
    std::atomic<bool> cancel{false};
    const kx::serve::TesterState first = importer.probe(out.string());
    ASSERT_TRUE(first.attached) << first.problem;
    EXPECT_EQ(first.address, sim.address());
    EXPECT_EQ(first.name, "Lumetra KX1000001");
    ASSERT_GE(first.held, 10u);
    const size_t held = first.held;

    // Each step changes the folder, then a probe counts and an import fetches.
    const auto removeFile = [&](size_t entry, bool result) {
        const auto folder = Kestrix::Import::ImportFolder::open(out);
        ASSERT_TRUE(folder);
        const auto& e = folder->entries().at(entry);
        fs::remove(out / (result ? e.result : e.record));
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        size_t missing;
    };
    const std::vector<Step> steps = {
        {"an empty folder", [] {}, held},
        {"everything there", [] {}, 0},
        {"a result and a host record gone",
         [&] {
             removeFile(1, true);
             removeFile(3, false);
         },
         2},
    };
    for (const Step& step : steps) {
        step.change();
        const kx::serve::TesterState state = importer.probe(out.string());
        EXPECT_EQ(state.missing, step.missing) << step.what;
        std::vector<kx::serve::ImportProgress> progress;
        const kx::serve::ImportOutcome outcome = importer.import(
            state.address, out.string(), [&](const kx::serve::ImportProgress& p) { progress.push_back(p); }, cancel);
        EXPECT_TRUE(outcome.ok) << step.what << ": " << outcome.message;
        EXPECT_EQ(outcome.newRecords, step.missing) << step.what;
        EXPECT_EQ(outcome.alreadyThere, held - step.missing) << step.what;
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back().done, held);
        EXPECT_EQ(progress.back().total, held);
    }
    const auto journal = sim.journal();  // imported without marking
    EXPECT_TRUE(std::none_of(journal.begin(), journal.end(),
                             [](const std::string& line) { return line.rfind("smmarkuploaded", 0) == 0; }));

    // Cancelled before it starts fetching: nothing new, and the job is not called done.
    cancel = true;
    const fs::path other = kx::test::freshFolder("serve-importer-cancelled");
    const kx::serve::ImportOutcome cancelled = importer.import(sim.address(), other.string(), nullptr, cancel);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.newRecords, 0u);
    EXPECT_EQ(cancelled.notFetched, held);
    EXPECT_NE(cancelled.message.find("cancelled"), std::string::npos) << cancelled.message;
    cancel = false;

    sim.stop();
    const kx::serve::TesterState gone = importer.probe(out.string());
    EXPECT_FALSE(gone.attached);
    EXPECT_FALSE(gone.problem.empty());
    const kx::serve::ImportOutcome failed = importer.import(sim.address(), out.string(), nullptr, cancel);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.message.find("cannot connect"), std::string::npos) << failed.message;
}

}  // namespace
