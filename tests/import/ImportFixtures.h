#pragma once
// Shared by the import tests: files of the output folder, what a simulated tester received, a stocked
// tester to import from, and the import's names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <boost/optional/optional_io.hpp>

#include "SimState.h"
#include "SimStock.h"
#include "TesterSim.h"
#include "common/PFile.h"
#include "core/Golden.h"
#include "core/SqliteFixtures.h"
#include "core/TestFiles.h"
#include "tester/import/ImportFolder.h"
#include "tester/import/ImportJob.h"

namespace kx::test {

namespace fs = std::filesystem;

inline std::set<std::string> filesUnder(const fs::path& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), dir).string());
    return out;
}

// "uploaded" of each row of a project database on the tester, by key (none when not marked at all).
inline std::map<int64_t, int64_t> uploadedFlags(const fs::path& projectDb) {
    std::map<int64_t, int64_t> out;
    for (const auto& r : textRows(projectDb, "SELECT key, uploaded FROM Results"))
        out[std::stoll(r[0])] = r[1].empty() ? 0 : std::stoll(r[1]);
    return out;
}

// The result files (not the databases) among the files a tester sent.
inline std::vector<std::string> resultDownloads(const Kestrix::Sim::TesterSim& sim) {
    std::vector<std::string> out;
    for (const auto& path : sim.downloads())
        if (path.size() < 4 || path.compare(path.size() - 4, 4, ".sql") != 0) out.push_back(path);
    return out;
}

inline Kestrix::Import::ImportOptions importOptions(const Kestrix::Sim::TesterSim& sim, const fs::path& out, bool mark,
                                                    boost::optional<std::string> project = boost::none) {
    Kestrix::Import::ImportOptions o;
    o.tester.address = sim.address();
    o.outDir = out.string();
    o.mark = mark;
    o.project = std::move(project);
    return o;
}

// A freshly stocked simulated tester, and an output folder.
class StockedTesterTest : public ::testing::Test {
protected:
    void SetUp() override {
        testerRoot = freshFolder("tester");
        out = freshFolder("out");
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
    Kestrix::Import::ImportOptions options(bool mark = true) const { return importOptions(*sim, out, mark); }
    Kestrix::Import::ImportOutcome run(bool mark = true, boost::optional<std::string> project = boost::none) {
        return Kestrix::Import::runImport(importOptions(*sim, out, mark, std::move(project)));
    }
    Kestrix::Import::Catalog catalog() const {
        Kestrix::Import::TesterAddress a;
        a.address = sim->address();
        return Kestrix::Import::readCatalog(a);
    }
    fs::path onTester(const std::string& testerFile) const { return testerRoot / kTesterProjects / testerFile; }
    // The smmarkuploaded lines the tester received.
    std::vector<std::string> marks() const {
        std::vector<std::string> m;
        for (const auto& line : sim->journal())
            if (line.rfind("smmarkuploaded", 0) == 0) m.push_back(line);
        return m;
    }
    // Every record the index calls imported holds its tester's bytes; returns the index.
    Json::Value expectImportedAsOnTester() const {
        const Json::Value index = parseJson(readText(out / "index.json"));
        for (const auto& e : index["records"])
            if (e["imported"].asBool()) {
                EXPECT_EQ(readText(out / e["result"].asString()), readText(onTester(e["testerFile"].asString())))
                    << e["result"].asString();
            }
        return index;
    }
    // Only `fileName` failed, as a record that cannot be read.
    static void expectOnlyFailed(const Kestrix::Import::ImportOutcome& r, const std::string& fileName) {
        ASSERT_EQ(r.failed, 1u);
        for (const auto& rec : r.records)
            if (!rec.held()) {
                EXPECT_EQ(r.catalog.summaries[rec.index].fileName, fileName);
                EXPECT_EQ(rec.reason, "Failed to read record.");
            }
    }

    fs::path testerRoot;
    fs::path out;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
};

}  // namespace kx::test

using namespace Kestrix::Import;
using namespace kx::test;
