// Settings and project setups between host and the simulated tester.
#include "SetupsFixture.h"
#include "storage/ProjectBuilders.h"
#include "tester/setups/KestrixSetups.h"
#include "tester/setups/TarvelProject.h"

using namespace Kestrix::Tester;
using kx::test::setupFile;
using kx::test::SetupsTest;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> settingsWithLanguage(int hostLanguage) {
    KestrixSetups e;
    e.New();
    e.SetSettingEnum(8, hostLanguage);
    return *e.SaveData();
}

Project::Core projectNamed(const std::string& name, bool customLimit = false) {
    Project::Core p = customLimit ? kx::test::sampleProject() : Project::Core{};
    p.name = name;
    return p;
}

std::vector<uint8_t> settingsFileOnTester(const fs::path& hostPath, Kestrix::InstrumentSettings& out) {
    auto bytes = kx::test::readHostFile(hostPath);
    EXPECT_TRUE(Kestrix::InstrumentSettingsFile::read(bytes, out));
    return bytes;
}

}  // namespace

TEST_F(SetupsTest, SettingsPushedAreLoadedAndPulledBack) {
    ASSERT_TRUE(tarvel->UpdateSettings(settingsWithLanguage(6)));
    expectUnlocked();
    EXPECT_EQ(pauses, std::vector<int>{500});
    const auto j = sim->journal();
    const auto at = [&j](const std::string& line) { return std::find(j.begin(), j.end(), line) - j.begin(); };
    EXPECT_LT(at("uilock 1"), at("scp -t '/tmp/setting_wr'"));
    EXPECT_LT(at("scp -t '/tmp/setting_wr'"), at("smputsharedsettings -f /tmp/setting_wr"));
    EXPECT_LT(at("smputsharedsettings -f /tmp/setting_wr"), at("uiloadsettings -t0"));
    EXPECT_LT(at("uiloadsettings -t0"), at("uilock 0"));
    Kestrix::InstrumentSettings onScreen;
    settingsFileOnTester(root / "microsd_userdata/settings/current_settings", onScreen);
    EXPECT_EQ(onScreen.language, Kestrix::Language::spanish);  // host 6 is stored as 1

    sim->clearJournal();
    const auto pulled = tarvel->RetrieveSettings();
    ASSERT_TRUE(pulled);
    EXPECT_EQ(sent("ui").front(), "uisavecurrentsettings");
    EXPECT_EQ(sent("smpull").front(), "smpullsharedsettings -f /tmp/setting_rd");
    KestrixSetups back;
    ASSERT_TRUE(back.OpenData(*pulled));
    EXPECT_EQ(back.GetSettingEnum(8), 6);
    EXPECT_TRUE(sent("uilock").empty());  // reading changes nothing on the screen
}

TEST_F(SetupsTest, SettingsFailuresReportFalseAndUnlock) {
    EXPECT_FALSE(tarvel->UpdateSettings({}));
    EXPECT_TRUE(sent("uilock").empty());

    kx::test::LogCapture log;
    // The tester refuses a file that is not a settings file.
    EXPECT_FALSE(tarvel->UpdateSettings({1, 2, 3}));
    expectUnlocked();
    EXPECT_TRUE(sent("uiloadsettings").empty());

    // Each fault alone: refused, unlocked (reconnecting where it must), and the session is there again.
    const std::pair<const char*, void (*)(Kestrix::Sim::SimFaults&)> faults[] = {
        {"the load fails", [](auto& f) { f.failCommand = "uiloadsettings"; }},
        {"the upload breaks the connection", [](auto& f) { f.dropAfterScpBytes = 10; }},
        {"the command is never answered", [](auto& f) { f.noReplyTo = "smputsharedsettings"; }},
        {"the connection goes down on the lock", [](auto& f) { f.noReplyTo = "uilock"; }},
    };
    for (const auto& [what, fault] : faults) {
        sim->setFaults({});
        setFault(fault);
        EXPECT_FALSE(tarvel->UpdateSettings(settingsWithLanguage(2))) << what;
        expectUnlocked();
        EXPECT_TRUE(tarvel->IsConnected()) << what;
    }

    setFault([](auto& f) { f.failCommand = "smpullsharedsettings"; });
    EXPECT_FALSE(tarvel->RetrieveSettings());
    EXPECT_TRUE(log.has("Failed to read shared settings"));
}

// The file goes to /tmp under its encoded name (ProjectFileName.EncodesTheNameAsTheTesterDoes) and is imported.
TEST_F(SetupsTest, ProjectPushReplyCodes) {
    const auto bytes = setupFile(projectNamed("Site 4"));
    const std::string line = "smimportproject -i \"/tmp/S%69%74%65%204.sql\"";
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Site 4", false, kPlatform, bytes, false, ""), TarvelCom::kProjectDone);
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Site 4", false, kPlatform, bytes, false, ""), TarvelCom::kProjectExists);
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Site 4", false, kPlatform, bytes, true, ""), TarvelCom::kProjectDone);
    EXPECT_EQ(sent("smimportproject").back(), line + " -f");
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Site 4", true, kPlatform, bytes, false, ""), TarvelCom::kProjectDone);
    EXPECT_EQ(sent("smimportproject").back(), line + " -o \"Site 4\"");
    // Overwriting a project the tester does not have.
    const auto other = setupFile(projectNamed("Other"));
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", true, kPlatform, other, false, ""), TarvelCom::kProjectNotFound);
    // A file the tester cannot read, and a tester tool that fails.
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, kPlatform, {'n', 'o', 'p', 'e'}, false, ""),
              TarvelCom::kProjectFailed);
    setFault([](auto& f) { f.failCommand = "smimportproject"; });
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, kPlatform, other, false, ""), TarvelCom::kProjectFailed);
    setFault([](auto& f) { f.failCommand.clear(); });
    // Replies only a tester in trouble gives.
    const std::string otherLine = "smimportproject -i \"/tmp/O%74%68%65%72.sql\"";
    const std::vector<std::pair<std::string, int>> replies{
        {"RC_ENTITY_NOT_FOUND\nOK\n", TarvelCom::kProjectNotFound},
        {"DB_ENTITY_DOES_NOT_EXIST\n", TarvelCom::kProjectNotFound},
        {"", TarvelCom::kProjectNoReply},
        {"DB_CORRUPT\n", TarvelCom::kProjectFailed},
        {"RC_ENTITY_EXISTS\n", TarvelCom::kProjectExists},
        {"segmentation fault\n", TarvelCom::kProjectBadCall},
        // Status words are whole words: these hold the letters "OK" and are no success.
        {"TOKYO\n", TarvelCom::kProjectBadCall},
        {"TOKEN_EXPIRED OP_FAILED\n", TarvelCom::kProjectFailed},
        {"import: OK\n", TarvelCom::kProjectDone},
    };
    for (const auto& [text, code] : replies) {
        sim->setReply(otherLine, text);
        EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, kPlatform, other, false, ""), code) << text;
    }
    sim->clearReply(otherLine);
    // The connection goes down before the tester answers.
    setFault([](auto& f) { f.noReplyTo = "smimportproject"; });
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, kPlatform, other, false, ""), TarvelCom::kProjectNoReply);
    expectUnlocked();
    // The upload fails.
    setFault([](auto& f) { f.dropAfterScpBytes = 100; });
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, kPlatform, other, false, ""),
              TarvelCom::kProjectNotFound);
    expectUnlocked();
    // Bad calls send nothing.
    sim->clearJournal();
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("", false, kPlatform, other, false, ""), TarvelCom::kProjectBadCall);
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, 12, other, false, ""), TarvelCom::kProjectBadCall);
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("Other", false, kPlatform, {}, false, ""), TarvelCom::kProjectBadCall);
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("a\nb", false, kPlatform, other, false, ""), TarvelCom::kProjectBadCall);
    EXPECT_TRUE(sim->journal().empty());
    const auto names = tarvel->GetProjectNames();
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, std::vector<std::string>{"Site 4"});
    // A second-generation tester is told its module.
    restart({.model = "Ombrel2"});
    connectTarvel([](int) {});
    EXPECT_EQ(tarvel->DownloadNewProjectSetup("x", false, kPlatform, setupFile(projectNamed("x")), false, ""),
              TarvelCom::kProjectDone);
    EXPECT_EQ(sent("smimportproject").back(), "smimportproject -i \"/tmp/%78.sql\" -m 3001");
}

TEST_F(SetupsTest, ProjectPulledFromTheTester) {
    ASSERT_EQ(
        tarvel->DownloadNewProjectSetup("ab.c", false, kPlatform, setupFile(projectNamed("ab.c", true)), false, ""),
        TarvelCom::kProjectDone);
    ASSERT_EQ(tarvel->DownloadNewProjectSetup("Plain", false, kPlatform, setupFile(projectNamed("Plain")), false, ""),
              TarvelCom::kProjectDone);
    sim->clearJournal();
    int result = -1;
    std::string fileName;
    auto bytes = tarvel->UploadProjectSetup("ab.c", result, fileName);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(result, TarvelCom::kProjectDoneCustom);  // its OTDR setup has a custom limit
    EXPECT_EQ(fileName, "%61%62%2e%63");
    EXPECT_EQ(sent("smexportproj").back(), "smexportproj -p\"/tmp\" -n\"ab.c\" -f");
    TarvelProject project;
    ASSERT_EQ(project.OpenData(*bytes), TarvelProject::kOpened);
    EXPECT_EQ(project.GetProjectName(), "ab.c");
    EXPECT_TRUE(project.project()->equals(projectNamed("ab.c", true)));

    bytes = tarvel->UploadProjectSetup("Plain", result, fileName);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(result, TarvelCom::kProjectDone);
    EXPECT_EQ(fileName, "P%6c%61%69%6e");
    EXPECT_TRUE(sent("uilock").empty());  // exporting changes nothing on the screen
}

TEST_F(SetupsTest, ProjectPullFailuresAndNoProjectListWithoutAMasterDatabase) {
    int result = -1;
    std::string fileName = "stale";
    EXPECT_FALSE(tarvel->UploadProjectSetup("", result, fileName));
    EXPECT_EQ(result, TarvelCom::kProjectBadCall);
    EXPECT_EQ(fileName, "");
    EXPECT_FALSE(tarvel->UploadProjectSetup("Nobody", result, fileName));  // the tester has no such project
    EXPECT_EQ(result, TarvelCom::kProjectExportFailed);
    const std::string line = "smexportproj -p\"/tmp\" -n\"P\" -f";
    const std::vector<std::pair<std::string, int>> replies{
        {"{ \"FileExported\" : \"/var/x.sql\" }\nOK\n", TarvelCom::kProjectExportFailed},  // not in /tmp
        {"{ \"FileExported\" : \"/tmp/.sql\" }\nOK\n", TarvelCom::kProjectExportFailed},   // too short a path
        {"{ \"FileExported\" : \"/tmp/%%50%%gone.sql\" }\nOK\n", TarvelCom::kProjectUnreadable},
        {"", TarvelCom::kProjectExportFailed},
    };
    for (const auto& [text, code] : replies) {
        sim->setReply(line, text);
        EXPECT_FALSE(tarvel->UploadProjectSetup("P", result, fileName)) << text;
        EXPECT_EQ(result, code) << text;
    }
    // "%%" in the reply is one "%" on the tester.
    kx::test::writeBytes(hostPath("/tmp/%50.sql"), setupFile(projectNamed("P")));
    sim->setReply(line, "{\n   \"FileExported\" : \"/tmp/%%50.sql\",\n   \"CustomCablesFound\" : true\n}\nOK\n");
    EXPECT_TRUE(tarvel->UploadProjectSetup("P", result, fileName));
    EXPECT_EQ(result, TarvelCom::kProjectDoneCustom);
    EXPECT_EQ(fileName, "%50");
    // An empty master database lists nothing; none at all, or one that is not SQLite, is no list.
    const auto empty = tarvel->GetProjectNames();
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    fs::remove(hostPath("/microsd_userdata/projects/master.sql"));
    EXPECT_FALSE(tarvel->GetProjectNames());
    kx::test::writeBytes(hostPath("/microsd_userdata/projects/master.sql"), {'n', 'o', 't', ' ', 's', 'q', 'l'});
    EXPECT_FALSE(tarvel->GetProjectNames());
}

TEST_F(SetupsTest, HostileProjectNamesReachTheTesterLiterally) {
    const std::vector<std::string> names{
        "q\"uote", "$(touch /tmp/pwned)", "`touch /tmp/pwned`", "bang!x", "-o", "it's", "back\\slash", "a;b"};
    for (const auto& name : names) {
        EXPECT_EQ(tarvel->DownloadNewProjectSetup(name, false, kPlatform, setupFile(projectNamed(name)), false, ""),
                  TarvelCom::kProjectDone)
            << name;
        int result = -1;
        std::string fileName;
        const auto bytes = tarvel->UploadProjectSetup(name, result, fileName);
        ASSERT_TRUE(bytes) << name;
        TarvelProject p;
        ASSERT_EQ(p.OpenData(*bytes), TarvelProject::kOpened);
        EXPECT_EQ(p.GetProjectName(), name);
        // Overwrite names the project literally too.
        EXPECT_EQ(tarvel->DownloadNewProjectSetup(name, true, kPlatform, setupFile(projectNamed(name)), false, ""),
                  TarvelCom::kProjectDone)
            << name;
    }
    const auto listed = tarvel->GetProjectNames();
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, names);
    EXPECT_FALSE(exists("/tmp/pwned"));
    expectUnlocked();
}

TEST_F(SetupsTest, SimulatorToolsAnswerAsATesterDoes) {
    const auto say = [this](const std::string& cmd) { return tarvel->SendTvixCmd(cmd).value_or("(none)"); };
    EXPECT_EQ(say("uiloadsettings -t0"), "RC_ENTITY_NOT_FOUND\n");  // nothing shared yet
    EXPECT_EQ(say("uisavecurrentsettings"), "OK\n");
    EXPECT_EQ(say("smpullsharedsettings -f /tmp/s"), "OK\n");
    Kestrix::InstrumentSettings shared;
    settingsFileOnTester(hostPath("/tmp/s"), shared);
    EXPECT_TRUE(shared.equals(Kestrix::InstrumentSettings{}));  // a fresh tester's own settings
    EXPECT_EQ(say("smputsharedsettings -f /tmp/none"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_NE(say("smputsharedsettings").find("usage:"), std::string::npos);
    EXPECT_NE(say("smimportproject -i").find("usage:"), std::string::npos);
    EXPECT_NE(say("smimportproject -i /tmp/x -m abc").find("usage:"), std::string::npos);
    EXPECT_EQ(say("smimportproject -i /tmp/none.sql"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(say("smexportproj -p /tmp -n Nobody -f"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(say("smimportlabels -f /tmp/none.ids"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(say("smrmlabels -f none.ids"), "RC_ENTITY_NOT_FOUND\n");
    EXPECT_EQ(say("smgetlf"), "OK\n");
    // Both forms of an option's value; the exported file's "%" doubled in the reply.
    ASSERT_EQ(tarvel->DownloadNewProjectSetup("50%", false, kPlatform, setupFile(projectNamed("50%")), false, ""),
              TarvelCom::kProjectDone);
    EXPECT_NE(say("smexportproj -p /tmp -n50% -f").find("\"FileExported\" : \"/tmp/50%%25.sql\""), std::string::npos);
    EXPECT_TRUE(exists("/tmp/50%25.sql"));
    EXPECT_EQ(say("smexportproj -p /tmp -n 50%"), "RC_ENTITY_EXISTS\n");  // without -f an old export stays
}
