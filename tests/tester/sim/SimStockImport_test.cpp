// A stocked simulator answering an import: smmarkuploaded, and files damaged on the way but not on its disk.

#include <set>

#include "SimStock.h"
#include "common/PFile.h"
#include "core/SqliteFixtures.h"
#include "tester/SimTestClient.h"
#include "tester/session/TarvelCom.h"

namespace fs = std::filesystem;
using kx::test::Client;

namespace {

const std::string kProjects = "/microsd_userdata/projects";

// Stocking builds OTDR traces and copper tests; it is done once and copied for each test.
const fs::path& stockTemplate() {
    static const fs::path root = [] {
        fs::path r = kx::test::freshFolder("stock-template") / "tester";
        Kestrix::Sim::stockTester(r, {});
        return r;
    }();
    return root;
}

// A container holding one section of `type` per payload.
std::string container(const std::vector<std::vector<uint8_t>>& payloads,
                      uint16_t type = PFile::SectionType::UploadList) {
    std::vector<PFile::Section> sections(payloads.size());
    std::vector<PFile::Section*> parts;
    for (size_t i = 0; i < payloads.size(); ++i) {
        EXPECT_EQ(sections[i].setCopy(type, 1, PFile::SECTION_FLAG_NONE, payloads[i], 0), 0);
        parts.push_back(&sections[i]);
    }
    const auto bytes = PFile::buildContainer(parts);
    return std::string(bytes.begin(), bytes.end());
}

// An upload list as the importer writes it.
std::string uploadList(const std::vector<int64_t>& keys) {
    const auto bytes = Kestrix::Tester::TarvelCom::uploadListFile(keys);
    return std::string(bytes.begin(), bytes.end());
}

// Keys marked uploaded, and how many rows there are.
std::pair<std::set<int64_t>, int> uploaded(const fs::path& db) {
    std::set<int64_t> keys;
    const auto rows = kx::test::textRows(db, "SELECT key, uploaded FROM Results");
    for (const auto& r : rows)
        if (!r[1].empty() && r[1] != "0") keys.insert(std::stoll(r[0]));
    return {keys, static_cast<int>(rows.size())};
}

std::string mark(Client& c, const std::string& project, const std::string& file) {
    return c.exec("smmarkuploaded -q -p " + Kestrix::Sim::shellQuote(project) + " -f " + Kestrix::Sim::shellQuote(file))
        .out;
}

class SimStockImport : public ::testing::Test {
protected:
    fs::path projectDb(const std::string& folder) const {
        return s.root / "microsd_userdata" / "projects" / folder / "project.sql";
    }
    kx::test::SimFixture s{"stocked", {}, stockTemplate()};
    Client c{s.sim->port()};
};

}  // namespace

TEST_F(SimStockImport, MarkUploadedMarksOnlyTheListedKeysOfThatProjectAndRefusesTheRest) {
    ASSERT_TRUE(c.put("/tmp/uplist0", uploadList({1, 3})).ok);
    EXPECT_EQ(mark(c, "Harbor Data Center", "/tmp/uplist0"), "OK\n");
    const auto [keys, rows] = uploaded(projectDb("Harbor DC 2026"));
    EXPECT_EQ(keys, (std::set<int64_t>{1, 3}));
    EXPECT_EQ(rows, 3);
    // The same keys of the other projects are untouched.
    EXPECT_TRUE(uploaded(projectDb("Riverside Campus")).first.empty());
    EXPECT_TRUE(uploaded(projectDb("Riverside Campus - Building B")).first.empty());

    // A site is found by its own name; a name with a quote arrives whole through the shell.
    ASSERT_TRUE(c.put("/tmp/uplist1", uploadList({2, 99})).ok);
    EXPECT_EQ(mark(c, "Building B", "/tmp/uplist1"), "OK\n");
    EXPECT_EQ(uploaded(projectDb("Riverside Campus - Building B")).first, (std::set<int64_t>{2}));
    EXPECT_EQ(mark(c, "O'Neill Hall", "/tmp/uplist1"), "OK\n");
    EXPECT_EQ(uploaded(projectDb("O'Neill Hall")).first, (std::set<int64_t>{2}));

    // Many keys in one list.
    std::vector<int64_t> many;
    for (int64_t k = 1; k <= 10000; ++k) many.push_back(k);
    ASSERT_TRUE(c.put("/tmp/uplist2", uploadList(many)).ok);
    EXPECT_EQ(mark(c, "Riverside Campus", "/tmp/uplist2"), "OK\n");
    const auto [marked, all] = uploaded(projectDb("Riverside Campus"));
    EXPECT_EQ(static_cast<int>(marked.size()), all);
    // Unknown projects, missing files and malformed lists are refused.
    ASSERT_TRUE(c.put("/tmp/uplist0", uploadList({1})).ok);
    EXPECT_EQ(mark(c, "No Such Project", "/tmp/uplist0"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(mark(c, "Annex", "/tmp/missing"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(mark(c, "Annex", "/tmp"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(c.exec("smmarkuploaded -q -p Annex").out, "RC_INVALID_ARGUMENT\n");

    const std::string good = uploadList({1});
    std::string flipped = good;
    flipped[flipped.size() - 2] ^= 0x40;  // a key byte: the section's CRC no longer matches
    const std::vector<std::pair<const char*, std::string>> malformed = {
        {"not a container", "1\n2\n3\n"},
        {"cut short", good.substr(0, good.size() - 1)},
        {"a result summary section instead", container({{1, 0, 0, 0}}, PFile::SectionType::ResultSummary)},
        {"a key and a half", container({{1, 0, 0, 0, 2, 0}})},
        {"two lists", container({{1, 0, 0, 0}, {1, 0, 0, 0}})},
        {"bad checksum", flipped},
    };
    for (const auto& [why, bytes] : malformed) {
        ASSERT_TRUE(c.put("/tmp/bad", bytes).ok) << why;
        EXPECT_EQ(mark(c, "Annex", "/tmp/bad"), "RC_INVALID_ARGUMENT\n") << why;
    }
    EXPECT_TRUE(uploaded(projectDb("Annex")).first.empty());
}

TEST_F(SimStockImport, TruncatedAndCorruptFilesArriveDamagedWhileTheDiskStaysIntact) {
    Kestrix::Sim::SimFaults f;
    f.truncateFile = "000002_D-102-B.res";
    f.corruptMasterDb = true;
    f.corruptProjectDb = "Harbor DC 2026";
    s.sim->setFaults(f);
    // That the damaged databases cannot be listed: ImportJob_test.CorruptDatabasesFromTheFaultSwitches.
    for (const std::string file : {"Harbor DC 2026/000002_D-102-B.res", "master.sql", "Harbor DC 2026/project.sql"}) {
        const fs::path onDisk = s.root / "microsd_userdata" / "projects" / file;
        const std::string whole = kx::test::readText(onDisk);
        const auto got = c.get(kProjects + "/" + file);
        ASSERT_TRUE(got.ok) << file;
        if (file.ends_with(".res"))
            EXPECT_EQ(got.data, whole.substr(0, whole.size() / 2));
        else
            EXPECT_NE(got.data, whole) << file;
        EXPECT_EQ(kx::test::readText(onDisk), whole) << file;
    }
}
