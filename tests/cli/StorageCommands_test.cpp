
#include "CliFixture.h"
#include "ProjectCommand.h"
#include "SettingsCommand.h"
#include "common/PFile.h"
#include "storage/ProjectSetupFile.h"

namespace {
std::string tempPath(const std::string& name) { return (kx::test::freshFolder("storage-cli") / name).string(); }

std::string show(const std::string& path, bool json) {
    std::ostringstream out;
    showProject(path, json, Dump::DumpFlags{1}, out);
    return out.str();
}
}  // namespace

TEST(ProjectShow, ReadsABlobOrASetupDatabaseWrittenHereAndRefusesGarbage) {
    const std::string blob = tempPath("project.blob"), sql = tempPath("project.sql"), junk = tempPath("junk.blob");
    ASSERT_TRUE(PFile::writeFileBytes(blob, kx::test::bytesOf(kx::test::sampleProject())));
    kx::test::expectGolden(show(blob, true), "dump-project.json");
    kx::test::expectGolden(show(blob, false), "project-show.txt");
    std::string error;
    ASSERT_TRUE(Project::writeSetupDatabase(sql, kx::test::bytesOf(kx::test::sampleProject()), error)) << error;
    EXPECT_EQ(show(sql, true), show(blob, true));
    ASSERT_TRUE(PFile::writeFileBytes(junk, {1, 2, 3, 4}));
    EXPECT_THROW(show(junk, true), BadInput);
}

TEST(SettingsSet, ChangesKnownKeysAndRefusesTheRest) {
    Kestrix::InstrumentSettings s;
    setInstrumentSetting(s, "language", "Korean");
    setInstrumentSetting(s, "plotGridEnabled", "false");
    setInstrumentSetting(s, "displayBrightness", "200");
    setInstrumentSetting(s, "ipDNS3", "10.1.1.1");
    EXPECT_EQ(s.language, Kestrix::Language::korean);
    EXPECT_FALSE(s.plotGridEnabled);
    EXPECT_EQ(s.displayBrightness, 200);
    EXPECT_EQ(s.ipDNS3, "10.1.1.1");
    const BadInput colour = kx::test::refusalOf([&] { setInstrumentSetting(s, "colour", "blue"); });
    EXPECT_NE(std::string(colour.what()).find("unknown settings key \"colour\""), std::string::npos);
    EXPECT_NE(colour.hint().find("displayBrightness"), std::string::npos) << colour.hint();
    const BadInput hours = kx::test::refusalOf([&] { setInstrumentSetting(s, "timeFormat", "13 hr"); });
    EXPECT_NE(hours.hint().find("\"12 hr\", \"24 hr\""), std::string::npos) << hours.hint();
    EXPECT_EQ(s.language, Kestrix::Language::korean);
}

// Values are checked where they are entered, against what the tester takes; the message names the range.
TEST(SettingsSet, ValuesOutsideTheTestersRangesAreRefused) {
    const struct {
        const char* key;
        const char* value;
        bool taken;
    } cases[] = {
        {"displayBrightness", "0", true},    {"displayBrightness", "255", true},  {"displayBrightness", "-5", false},
        {"displayBrightness", "256", false}, {"displayBrightness", "12x", false}, {"displayBrightness", "", false},
        {"remoteModeEnabled", "yes", false}, {"ipAddress", "192.168.1.20", true}, {"ipAddress", "", true},
        {"ipAddress", "0.0.0.0", true},      {"ipAddress", "999.1.1.1", false},   {"ipAddress", "10.1.1", false},
        {"ipAddress", "10.1.1.1.1", false},  {"ipAddress", "10.01.1.1", false},   {"ipAddress", "10.1.1.-1", false},
        {"ipAddress", " 10.1.1.1", false},   {"ipGateway", "256.0.0.1", false},   {"ipDNS4", "8.8.8.8", true},
        {"ipSubnet", "255.255.255.0", true}, {"ipSubnet", "255.0.255.0", false},  {"ipSubnet", "255.255.255.1", false},
    };
    for (const auto& c : cases) {
        Kestrix::InstrumentSettings s;
        const std::string hint = kx::test::refusalOf([&] { setInstrumentSetting(s, c.key, c.value); }).hint();
        EXPECT_EQ(hint.empty(), c.taken) << c.key << " " << c.value;
        if (!c.taken && std::string(c.key) == "displayBrightness") {
            EXPECT_EQ(hint, "give a whole number from 0 to 255");
        }
    }
    // A file made elsewhere is checked before it is sent.
    Kestrix::InstrumentSettings s;
    s.displayBrightness = -5;
    s.ipSubnet = "255.0.255.0";
    const auto problems = settingsProblems(s);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].rfind("displayBrightness: ", 0), 0u) << problems[0];
    EXPECT_EQ(problems[1].rfind("ipSubnet: ", 0), 0u) << problems[1];
    EXPECT_TRUE(settingsProblems(Kestrix::InstrumentSettings{}).empty());
}
