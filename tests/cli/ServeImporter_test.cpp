// The viewer's tester link over the import job, against a stocked simulator: what a probe lists matches what
// an import writes to the folder, and a tester that is not there is said to be absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "Library.h"
#include "ServeImporter.h"
#include "SimStock.h"
#include "TesterSim.h"
#include "core/TestFiles.h"

namespace fs = std::filesystem;

namespace {

TEST(ServeImporter, ProbeListsWhatAnImportWritesAndTheFolderThenHolds) {
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
    const kx::serve::TesterState state = importer.probe();
    ASSERT_TRUE(state.attached) << state.problem;
    EXPECT_EQ(state.address, sim.address());
    EXPECT_EQ(state.name, "Lumetra KX1000001");
    ASSERT_GE(state.records.size(), 10u);

    std::vector<kx::serve::ImportProgress> progress;
    std::atomic<bool> cancel{false};
    const kx::serve::ImportOutcome outcome = importer.import(
        state.address, out.string(), [&](const kx::serve::ImportProgress& p) { progress.push_back(p); }, cancel);
    EXPECT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(outcome.imported, state.records.size());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().done, state.records.size());
    EXPECT_EQ(progress.back().total, state.records.size());

    // Every record the probe listed is now in the folder under the same tester file and key.
    kx::serve::RecordIds ids;
    std::string error;
    auto lib = kx::serve::Library::load({out.string()}, ids, error);
    ASSERT_TRUE(lib) << error;
    std::set<std::pair<std::string, int64_t>> held;
    for (const auto& r : lib->records()) held.emplace(r.testerFile, r.key);
    for (const auto& r : state.records) EXPECT_TRUE(held.count({r.testerFile, r.key})) << r.testerFile;
    const auto journal = sim.journal();  // imported without marking
    EXPECT_TRUE(std::none_of(journal.begin(), journal.end(),
                             [](const std::string& line) { return line.rfind("smmarkuploaded", 0) == 0; }));
    sim.stop();

    const kx::serve::TesterState gone = importer.probe();
    EXPECT_FALSE(gone.attached);
    EXPECT_FALSE(gone.problem.empty());
    const kx::serve::ImportOutcome failed = importer.import(sim.address(), out.string(), nullptr, cancel);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.message.find("cannot connect"), std::string::npos) << failed.message;
}

}  // namespace
