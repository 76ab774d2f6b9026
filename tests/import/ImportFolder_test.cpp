// The output folder without a tester: names made safe and unique, the index merged, and the folder read
// back through its index.

#include "ImportFixtures.h"
#include "tester/import/ImportIndex.h"
#include "tester/import/ImportOutput.h"

namespace {

// An index entry as a run writes it, for a result path or "" when the record was not imported.
Json::Value entryOf(const RecordIdentity& id, const std::string& result) {
    Json::Value v;
    v["testerSerial"] = id.testerSerial;
    v["testerFile"] = id.testerFile;
    v["key"] = Json::Int64(id.key);
    v["imported"] = !result.empty();
    if (!result.empty()) v["result"] = result;
    return v;
}

TEST(ImportOutputNames, NamesFromTheTesterNeverLeaveTheFolder) {
    EXPECT_EQ(safeName(".."), "_");
    EXPECT_EQ(safeName(""), "_");
    EXPECT_EQ(safeName("../../etc/passwd"), "___.._etc_passwd");  // no separator left
    EXPECT_EQ(safeName("/abs"), "_abs");
    EXPECT_EQ(safeName("a\nb\x1b[2Jc\x7f"), "a_b_[2Jc_");
    EXPECT_EQ(safeName("Riser 7 \"B\""), "Riser 7 _B_");
    EXPECT_EQ(safeName("C:\\x"), "C__x");
    EXPECT_EQ(safeName("trailing. "), "trailing");
    EXPECT_EQ(safeName(".hidden"), "_hidden");
    EXPECT_EQ(safeName("Gebäude"), "Gebäude");
    EXPECT_EQ(safeName(std::string(300, 'x')).size(), 120u);
    EXPECT_EQ(safeName(std::string(119, 'x') + "ä"), std::string(119, 'x'));  // not cut inside a character

    const fs::path dir = freshFolder("names");
    ImportOutput o(dir);
    o.plan({{"..", "../..", "/etc/passwd", {"S", "a/1", 1}},
            {"P", "", "CAB", {"S", "p/1", 1}},
            {"P", "", "CAB", {"S", "p/2", 2}},
            {"P", "", "CAB2", {"S", "p/3", 3}}});
    EXPECT_EQ(o.resultPath(0), "_/___/_etc_passwd.result");
    EXPECT_EQ(o.resultPath(2), "P/CAB~2.result");
    EXPECT_EQ(o.recordPath(3), "P/CAB2.json");
    o.write(0, {1, 2, 3}, "{}");
    EXPECT_TRUE(fs::is_regular_file(dir / "_/___/_etc_passwd.result"));

    // A folder inside DIR that links elsewhere is refused, and nothing is made through it: not even a site
    // folder.
    const fs::path elsewhere = freshFolder("elsewhere");
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
    const fs::path dir = freshFolder("rerun");
    const RecordIdentity a{"S1", "p/1", 1}, b{"S1", "p/2", 2};
    {
        ImportIndex first(dir, "Lumetra S1", "S1");
        first.begin("Lumetra S1", "S1");
        first.add(a, true, entryOf(a, "P/A.result"));
        first.add(b, true, entryOf(b, "P/B.result"));
        first.end(2, 0, Json::Value(Json::arrayValue), 0);
    }
    {
        // Only b this time, and it failed: both entries stay as they were.
        ImportIndex second(dir, "Lumetra S1", "S1");
        ASSERT_EQ(second.owners().size(), 2u);
        second.begin("Lumetra S1", "S1");
        second.add(b, false, entryOf(b, ""));
        second.end(0, 1, Json::Value(Json::arrayValue), 0);
    }
    expectGolden(readText(dir / "index.json"), "index-carried-forward.json");
    // No temporary files are left behind.
    for (const auto& f : filesUnder(dir)) EXPECT_EQ(f.find(".tmp-"), std::string::npos) << f;

    // An index that does not parse is kept aside, not overwritten.
    writeText(dir / "index.json", "{ not json");
    ImportIndex third(dir, "Lumetra S1", "S1");
    EXPECT_TRUE(third.previous().empty());
    EXPECT_EQ(readText(dir / "index.json.unreadable"), "{ not json");
    fs::remove_all(dir);
}

// An index as a run writes it, of records `entries` (identity, result path or "" when not imported).
void writeIndex(const fs::path& dir, const std::vector<std::pair<RecordIdentity, std::string>>& entries) {
    ImportIndex index(dir, "Lumetra S1", "S1");
    index.begin("Lumetra S1", "S1");
    for (const auto& [id, result] : entries) {
        Json::Value v = entryOf(id, result);
        v["project"] = "Proj " + id.testerFile;
        v["site"] = "Site";
        if (!result.empty()) {
            v["record"] = resultStem(result) + ".json";
            v["bytes"] = 3;
            v["crc32"] = crc32Text(0x1234abcd);
        }
        index.add(id, !result.empty(), v);
    }
    index.end(entries.size(), 0, Json::Value(Json::arrayValue), 0);
}

TEST(ImportFolderReader, RecordsAreFoundThroughTheIndexNotTheLayout) {
    const fs::path dir = freshFolder("reader");
    writeIndex(dir, {{{"S1", "p/1", 1}, "P/Site/X-01.result"},
                     {{"S1", "p/2", 2}, ""},
                     {{"S1", "p/3", 3}, "P/Site/X-01~2.result"},
                     {{"S1", "p/4", 4}, "../../elsewhere.result"}});
    std::string why;
    auto folder = ImportFolder::open(dir, &why);
    ASSERT_TRUE(folder) << why;
    ASSERT_EQ(folder->entries().size(), 4u);
    EXPECT_EQ(folder->testerSerial(), "S1");
    const FolderEntry* e = folder->entryOfResult(dir / "P" / "Site" / "." / "X-01~2.result");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->identity.key, 3);
    EXPECT_EQ(e->project, "Proj p/3");
    EXPECT_EQ(e->crc32, boost::optional<uint32_t>(0x1234abcd));
    EXPECT_EQ(e->bytes, 3);
    EXPECT_EQ(folder->recordPathOf(dir / "P/Site/X-01.result"), fs::canonical(dir) / "P/Site/X-01.json");
    // Files the index does not list as imported have no record, and the index speaks only for its folder.
    EXPECT_FALSE(folder->recordPathOf(dir / "P/Site/X-02.result"));
    EXPECT_FALSE(folder->recordPathOf(dir / ".." / "elsewhere.result"));

    // Results below an import folder find it; a result in no import folder has no record.
    ImportFolders folders;
    EXPECT_EQ(folders.recordPathOf(dir / "P/Site/X-01.result"), fs::canonical(dir) / "P/Site/X-01.json");
    const fs::path loose = freshFolder("loose");
    writeText(loose / "A" / "X.result", "x");
    writeText(loose / "A" / "X.json", "{}");
    EXPECT_FALSE(folders.recordPathOf(loose / "A" / "X.result"));

    // No index, or one that is not an import index.
    EXPECT_FALSE(ImportFolder::open(loose, &why));
    EXPECT_NE(why.find("no index"), std::string::npos) << why;
    writeText(loose / "index.json", "[1, 2]");
    EXPECT_FALSE(ImportFolder::open(loose, &why));
    EXPECT_NE(why.find("not an import index"), std::string::npos) << why;
    fs::remove_all(dir);
    fs::remove_all(loose);
}

TEST(ImportFolderReader, ARecordIsFoundByItsTesterFileAndKey) {
    // The first entry names no serial: the index speaks for the tester named at its top, by its serial there
    // or, without one, by its name.
    const auto folderWith = [](const std::string& top) {
        return ImportFolder::fromText("d", "{\"tester\":\"Lumetra A\"," + top +
                                               "\"records\":[{\"testerFile\":\"p/1\",\"key\":1},"
                                               "{\"testerSerial\":\"S2\",\"testerFile\":\"p/2\",\"key\":2}]}");
    };
    const struct {
        std::string top;
        RecordIdentity id;
        std::string tester;
        bool found;
    } cases[] = {
        {"", {"S1", "p/1", 1}, "Lumetra A", true},
        {"", {"S1", "p/1", 1}, "Lumetra B", false},
        {"", {"S1", "p/1", 2}, "Lumetra A", false},
        {"", {"S2", "p/2", 2}, "Lumetra B", true},
        {"", {"S1", "p/2", 2}, "Lumetra A", false},
        {"\"testerSerial\":\"S0\",", {"S0", "p/1", 1}, "Lumetra B", true},
        {"\"testerSerial\":\"S0\",", {"S1", "p/1", 1}, "Lumetra A", false},
    };
    for (const auto& c : cases) {
        const auto folder = folderWith(c.top);
        ASSERT_TRUE(folder);
        EXPECT_EQ(folder->entryOf(c.id, c.tester) != nullptr, c.found)
            << c.top << " " << c.id.testerSerial << " " << c.id.testerFile << " " << c.id.key << " " << c.tester;
    }
}

TEST(ImportFolderReader, HeldOnlyWhenTheFilesAreWhatTheIndexSays) {
    const fs::path dir = freshFolder("held");
    const RecordIdentity id{"S1", "p/1", 1};
    const std::vector<uint8_t> result{1, 2, 3, 4, 5};
    {
        ImportOutput o(dir, "Lumetra S1", "S1");
        o.plan({{"P", "", "X", id}});
        o.write(0, result, "{}\n");
        o.index().begin("Lumetra S1", "S1");
        Json::Value v = entryOf(id, o.resultPath(0));
        v["size"] = 5;
        v["testDate"] = "2025-01-01T00:00:00Z";
        v["record"] = o.recordPath(0);
        v["bytes"] = 5;
        v["crc32"] = crc32Text(crc32Of(result.data(), result.size()));
        o.index().add(id, true, v);
        o.index().end(1, 0, Json::Value(Json::arrayValue), 0);
    }
    const auto heldNow = [&](int64_t size, const std::string& date) {
        ImportOutput o(dir, "Lumetra S1", "S1");
        o.plan({{"P", "", "X", id}});
        return o.held(0, size, date) != nullptr;
    };
    EXPECT_TRUE(heldNow(5, "2025-01-01T00:00:00Z"));
    // The tester lists it with another size or date: it is another result now.
    EXPECT_FALSE(heldNow(6, "2025-01-01T00:00:00Z"));
    EXPECT_FALSE(heldNow(5, "2025-01-02T00:00:00Z"));
    // The same size, other bytes.
    writeText(dir / "P" / "X.result", std::string("\x01\x02\x03\x04\x06", 5));
    EXPECT_FALSE(heldNow(5, "2025-01-01T00:00:00Z"));
    // A link in place of the file is not the file.
    fs::remove(dir / "P" / "X.result");
    writeText(dir / "elsewhere.bin", std::string("\x01\x02\x03\x04\x05", 5));
    fs::create_symlink(dir / "elsewhere.bin", dir / "P" / "X.result");
    EXPECT_FALSE(heldNow(5, "2025-01-01T00:00:00Z"));
    fs::remove_all(dir);
}

}  // namespace
