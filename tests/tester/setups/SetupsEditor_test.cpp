// The settings editor's host table, the code page and project file names, and project setup files.

#include "SetupsFixture.h"
#include "core/SqliteFixtures.h"
#include "common/PFile.h"
#include "storage/ProjectBuilders.h"
#include "tester/setups/CodePage.h"
#include "tester/setups/KestrixSetups.h"
#include "tester/setups/SetupDatabase.h"
#include "tester/setups/TarvelProject.h"

using namespace Kestrix::Tester;
using Kestrix::InstrumentSettings;
namespace fs = std::filesystem;

TEST(SetupsEditor, EveryEnumeratedTypeMapsBothWaysAndValuesOutsideTheTableAreIgnored) {
    KestrixSetups e;
    e.New();
    // host value -> stored field, for each type whose values differ between host and tester (host 6 is Spanish)
    const std::vector<std::pair<int, int>> language{{0, 0}, {1, 4}, {2, 2},  {3, 3},  {4, 6},   {5, 5},  {6, 1},
                                                    {7, 7}, {8, 9}, {9, 10}, {10, 8}, {11, 11}, {14, 14}};
    for (auto [host, stored] : language) {
        e.SetSettingEnum(8, host);
        EXPECT_EQ(static_cast<int>(e.settings()->language), stored) << host;
        EXPECT_EQ(e.GetSettingEnum(8), host);
    }
    e.SetSettingEnum(3, 0);
    EXPECT_EQ(e.settings()->powerLineFrequency, Kestrix::PowerLineFrequency::hz60);
    e.SetSettingEnum(7, 1);
    EXPECT_EQ(e.settings()->lengthUnits, Kestrix::LengthUnits::metres);
    EXPECT_EQ(e.GetSettingEnum(7), 1);
    e.SetSettingEnum(13, 4);
    EXPECT_EQ(e.settings()->backlightTimeout, Kestrix::BacklightTimeout::min15);
    EXPECT_EQ(e.GetSettingEnum(13), 4);
    e.SetSettingEnum(2, 0);
    EXPECT_FALSE(e.settings()->audibleToneEnabled);
    e.SetSettingEnum(14, 1);
    EXPECT_EQ(e.GetSettingEnum(14), 1);
    EXPECT_EQ(e.GetSettingEnum(4), 0);
    EXPECT_EQ(e.GetEnumArray(8), (std::vector<int>{0, 1, 2, 3, 6, 5, 8, 4, 7, 10, 9}));
    EXPECT_EQ(e.GetEnumArray(13), (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(e.GetEnumArray(14), (std::vector<int>{1, 0}));
    EXPECT_TRUE(e.GetEnumArray(15).empty());

    e.New();
    e.SetSettingEnum(8, 2);
    for (int bad : {-1, 15, 99}) e.SetSettingEnum(8, bad);
    EXPECT_EQ(e.GetSettingEnum(8), 2);
    e.SetSettingEnum(13, 1);  // not a host value of the backlight
    EXPECT_EQ(e.settings()->backlightTimeout, Kestrix::BacklightTimeout::min5);
    e.SetSettingEnum(15, 1);  // a text type
    EXPECT_EQ(e.GetSettingEnum(15), -1);
    EXPECT_EQ(e.GetSettingEnum(0), -1);  // listed by HasType, but not in the table

    InstrumentSettings s;
    s.powerDownTimeout = Kestrix::PowerDownTimeout::min60;  // no host value: reads as 1
    s.language = Kestrix::Language::turkish;                // no host value at all
    KestrixSetups opened;
    ASSERT_TRUE(opened.OpenData(Kestrix::InstrumentSettingsFile::write(s)));
    EXPECT_EQ(opened.GetSettingEnum(12), 1);
    EXPECT_EQ(opened.GetSettingEnum(8), -1);
}

TEST(SetupsEditor, TypesSetupInfoTextsAndTheFileRoundTrip) {
    KestrixSetups e;
    EXPECT_FALSE(e.SaveData());  // closed
    for (int t : {0, 1, 2, 8, 12, 13}) EXPECT_TRUE(e.HasType(t)) << t;
    for (int t : {-1, 9, 11, 14, 15, 22}) EXPECT_FALSE(e.HasType(t)) << t;
    const auto info = e.GetSetupInfo();
    ASSERT_EQ(info.size(), 17u);
    EXPECT_EQ(info.front(), SetupTypeInfo(2, 0, 1));
    EXPECT_EQ(info[9], SetupTypeInfo(14, 0, 1));
    EXPECT_EQ(info[10], SetupTypeInfo(15, 2, 1));
    EXPECT_EQ(info.back(), SetupTypeInfo(22, 2, 1));
    EXPECT_EQ(e.GetProjectValidCharsMessage(),
              "a-Z 0-9 - / . , : * ' _ [ ] SPACE\r\nç ñ ß à á â ã ä è é ê ë ì í î ï ò ó ô ö ù ú û ü\r\n"
              "Ç Ñ À Á Â Ã Ä È É Ê Ë Ì Í Î Ï Ò Ó Ô Ö Ù Ú Û Ü");
    EXPECT_EQ(e.GetSettingString(15, 0), "");  // closed
    e.New();
    e.SetSettingString(15, 0, "10.1.2.3");
    e.SetSettingString(16, 0, "0.0.0.0");
    e.SetSettingString(19, 0, "dns-é");
    e.SetSettingString(22, 0, "host\xE2\x82\xAC");  // the euro sign is not in the code page
    e.SetSettingString(18, 0, "ignored");
    EXPECT_EQ(e.GetSettingString(15, 0), "10.1.2.3");
    EXPECT_EQ(e.settings()->ipSubnet, "");
    EXPECT_EQ(e.GetSettingString(19, 0), "dns-é");
    EXPECT_EQ(e.GetSettingString(22, 0), "host?");
    EXPECT_EQ(e.GetSettingString(18, 0), "");

    e.New();
    EXPECT_EQ(e.GetSettingEnum(7), 0);  // feet
    EXPECT_EQ(e.GetSettingEnum(3), 0);  // 60 Hz
    e.SetSettingEnum(8, 6);
    e.SetSettingString(17, 0, "192.168.1.1");
    const auto bytes = e.SaveData();
    ASSERT_TRUE(bytes);
    // One uncompressed section of type 105, version 1, holding compact JSON.
    PFile::MemReader r;
    ASSERT_EQ(r.open(bytes->data(), static_cast<int32_t>(bytes->size())), 0);
    PFile::Section section;
    ASSERT_EQ(r.read(section, false), 0);
    EXPECT_EQ(static_cast<int>(section.type()), 105);
    EXPECT_EQ(section.header.version, 1);
    const std::string json(reinterpret_cast<const char*>(section.data()), section.size());
    EXPECT_EQ(json.find('\n'), std::string::npos);
    EXPECT_EQ(json.find("\": "), std::string::npos);
    EXPECT_NE(json.find("\"language\":\"Spanish\""), std::string::npos);

    KestrixSetups back;
    ASSERT_TRUE(back.OpenData(*bytes));
    EXPECT_EQ(back.GetSettingEnum(8), 6);
    EXPECT_EQ(back.GetSettingString(17, 0), "192.168.1.1");
    back.Close();
    EXPECT_FALSE(back.isOpen());
    EXPECT_EQ(back.GetSettingEnum(8), -1);
    // A file too large for the tester is not made.
    e.New();
    e.SetSettingString(15, 0, std::string(9000, '1'));
    EXPECT_TRUE(e.SaveData());
    e.SetSettingString(16, 0, std::string(2000, '2'));
    EXPECT_FALSE(e.SaveData());

    // What is not a settings file is refused.
    e.New();
    EXPECT_FALSE(e.OpenData({}));
    EXPECT_TRUE(e.isOpen());  // empty input leaves the editor alone
    EXPECT_FALSE(e.OpenData({1, 2, 3}));
    EXPECT_FALSE(e.isOpen());

    const auto good = Kestrix::InstrumentSettingsFile::write(kx::test::sampleInstrumentSettings());
    EXPECT_FALSE(e.OpenData(std::vector<uint8_t>(good.begin(), good.end() - 1)));

    auto sectionOf = [](uint16_t type, const std::string& text) {
        PFile::Section s;
        EXPECT_EQ(s.setCopy(type, 1, PFile::SECTION_FLAG_NONE, std::vector<uint8_t>(text.begin(), text.end()), 0), 0);
        return PFile::buildContainer({&s});
    };
    const std::string fresh = Kestrix::InstrumentSettingsFile::jsonText(InstrumentSettings{});
    EXPECT_TRUE(e.OpenData(sectionOf(105, fresh)));
    EXPECT_FALSE(e.OpenData(sectionOf(201, fresh)));                      // another section type
    EXPECT_FALSE(e.OpenData(sectionOf(105, "{\"InstrumentSettings\"")));  // not JSON
    std::string unknown = fresh;
    unknown.replace(unknown.find("English"), 7, "Klingon");
    EXPECT_FALSE(e.OpenData(sectionOf(105, unknown)));
    EXPECT_FALSE(e.isOpen());
}

TEST(ProjectFileName, EncodesTheNameAsTheTesterDoesThroughTheCodePage) {
    EXPECT_EQ(projectFileName("ab.c"), "%61%62%2e%63");
    EXPECT_EQ(projectFileName("AB-1_[x]"), "AB-1_[%78]");
    EXPECT_EQ(projectFileName(" \"%*./:;<>?\\|"), "%20%22%25%2a%2e%2f%3a%3b%3c%3e%3f%5c%7c");
    EXPECT_EQ(projectFileName("$(rm -rf)'!"), "$(%72%6d%20-%72%66)'!");
    EXPECT_EQ(projectFileName("Ünï"), "Ü%6eï");             // Latin-1 letters are kept
    EXPECT_EQ(projectFileName("x\xE2\x82\xAC"), "%78%3f");  // beyond the code page: "?"
    EXPECT_EQ(projectFileName("\xFF\xFE"), "%3f%3f");       // not UTF-8
    EXPECT_EQ(TarvelProject().GetFileNameForProject("ab.c"), "%61%62%2e%63");
    // The code page and lenient UTF-8.
    EXPECT_EQ(decodeUtf8Lenient("plain é"), "plain é");
    EXPECT_EQ(decodeUtf8Lenient("a\xC3"), "a\xEF\xBF\xBD");
    EXPECT_EQ(decodeUtf8Lenient("\xC0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");                  // overlong
    EXPECT_EQ(decodeUtf8Lenient("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(toSingleByte("é"), "\xE9");
    EXPECT_EQ(fromSingleByte("\xE9"), "é");
}

TEST(ProjectFile, SetupDatabasesWithoutAReadableProjectAndMasterDatabaseNames) {
    const fs::path dir = kx::test::freshFolder("project-file");
    Project::Core p = kx::test::sampleProject();
    p.name = "Bâtiment \xFF";  // stored bytes that are not UTF-8
    const auto bytes = kx::test::setupFile(p);
    kx::test::writeBytes(dir / "setup.sql", bytes);
    TarvelProject tp;
    EXPECT_EQ(tp.Open((dir / "setup.sql").string()), TarvelProject::kOpened);
    EXPECT_EQ(tp.GetProjectName(), "Bâtiment \xEF\xBF\xBD");
    ASSERT_TRUE(tp.project());
    EXPECT_EQ(tp.project()->testSets.items.size(), 4u);
    tp.Close();
    EXPECT_EQ(tp.GetProjectName(), "");
    EXPECT_EQ(tp.OpenData(bytes), TarvelProject::kOpened);

    EXPECT_EQ(tp.Open(""), TarvelProject::kNotOpened);
    EXPECT_EQ(tp.Open((dir / "missing.sql").string()), TarvelProject::kNotOpened);
    // A bare serialized project is not a setup database.
    kx::test::writeBytes(dir / "bare", kx::test::bytesOf(kx::test::sampleProject()));
    EXPECT_EQ(tp.Open((dir / "bare").string()), TarvelProject::kNotOpened);

    // A project that does not decode closes the file.
    std::string error;
    ASSERT_TRUE(Project::writeSetupDatabase((dir / "bad.sql").string(), {1, 2, 3, 4}, error));
    EXPECT_EQ(tp.Open((dir / "bad.sql").string()), TarvelProject::kNotOpened);
    EXPECT_FALSE(tp.project());
    // An empty object, a NULL object, no object column, no row 1, and truncations of a good file.
    ASSERT_TRUE(Project::writeSetupDatabase((dir / "empty.sql").string(), {}, error));
    EXPECT_EQ(tp.Open((dir / "empty.sql").string()), TarvelProject::kNotOpened);
    for (size_t n : {size_t{16}, size_t{100}, bytes.size() / 2})
        EXPECT_EQ(tp.OpenData(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(n))),
                  TarvelProject::kNotOpened)
            << n;

    const fs::path master = dir / "master.sql";
    kx::test::makeDb(master, std::string(kx::test::kMasterSchema) + kx::test::insertProject("Zeta", "z", "q1", "") +
                                 kx::test::insertProject("", "e", "q2", "") +
                                 "INSERT INTO Projects VALUES (NULL, 'n', 'q3', '');" +
                                 kx::test::insertProject("Alpha $(x)", "a", "q4", "q1"));
    const auto names = projectNamesFromMaster(kx::test::readHostFile(master));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string>{"Zeta", "Alpha $(x)"}));  // table order, empty names left out

    EXPECT_FALSE(projectNamesFromMaster({}));
    EXPECT_FALSE(projectNamesFromMaster({'x', 'y'}));
    const auto setup = kx::test::setupFile(kx::test::sampleProject());
    EXPECT_FALSE(projectNamesFromMaster(setup));  // no table "Projects"
    EXPECT_FALSE(projectBlobFromSetupFile(std::vector<uint8_t>(setup.begin(), setup.begin() + 200)));
    fs::remove_all(dir);
}
