#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "ProjectCommand.h"
#include "SettingsCommand.h"
#include "common/InstrumentSettingsFile.h"
#include "common/PFile.h"
#include "storage/ProjectBuilders.h"
#include "storage/ProjectSetupFile.h"
#include "core/TestFiles.h"

using namespace kx::cli;

namespace {
std::string tempPath(const std::string& name) { return (kx::test::freshFolder("storage-cli") / name).string(); }

std::string show(const std::string& path, bool json) {
    std::ostringstream out;
    showProject(path, json, Dump::DumpFlags{1}, out);
    return out.str();
}
}  // namespace

TEST(ProjectShow, ReadsABlobWrittenHere) {
    const std::string path = tempPath("project.blob");
    ASSERT_TRUE(PFile::writeFileBytes(path, kx::test::bytesOf(kx::test::sampleProject())));
    const std::string json = show(path, true);
    EXPECT_NE(json.find("\"name\" : \"Building 7 backbone\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"nextLabel\" : \"F-0107\""), std::string::npos);
    EXPECT_NE(show(path, false).find("Building 7 backbone"), std::string::npos);
}

TEST(ProjectShow, ReadsASetupDatabaseWrittenHere) {
    const std::string path = tempPath("project.sql");
    std::string error;
    ASSERT_TRUE(Project::writeSetupDatabase(path, kx::test::bytesOf(kx::test::sampleProject()), error)) << error;
    EXPECT_NE(show(path, true).find("\"orgId\" : \"org-77\""), std::string::npos);
}

TEST(ProjectShow, RefusesGarbage) {
    const std::string path = tempPath("garbage.blob");
    ASSERT_TRUE(PFile::writeFileBytes(path, {1, 2, 3, 4}));
    EXPECT_THROW(show(path, true), BadInput);
}

TEST(DumpStorage, BareProjectAndSettingsFile) {
    kx::cli::registerPrinters();
    std::ostringstream out;
    DumpOptions o;
    o.json = true;
    dumpAny(kx::test::bytesOf(kx::test::sampleProject()), o, out);
    EXPECT_NE(out.str().find("\"LabelSetList\""), std::string::npos);
    out.str("");
    dumpAny(Kestrix::InstrumentSettingsFile::write(kx::test::sampleInstrumentSettings()), o, out);
    EXPECT_NE(out.str().find("\"language\" : \"German\""), std::string::npos) << out.str();
}

TEST(SettingsSet, ChangesKnownKeysAndRefusesTheRest) {
    Kestrix::InstrumentSettings s;
    setInstrumentSetting(s, "language", "Korean");
    setInstrumentSetting(s, "plotGridEnabled", "false");
    setInstrumentSetting(s, "displayBrightness", "-12");
    setInstrumentSetting(s, "ipDNS3", "10.1.1.1");
    EXPECT_EQ(s.language, Kestrix::Language::korean);
    EXPECT_FALSE(s.plotGridEnabled);
    EXPECT_EQ(s.displayBrightness, -12);
    EXPECT_EQ(s.ipDNS3, "10.1.1.1");
    try {
        setInstrumentSetting(s, "colour", "blue");
        FAIL();
    } catch (const BadInput& e) {
        EXPECT_NE(std::string(e.what()).find("unknown settings key \"colour\""), std::string::npos);
    }
    try {
        setInstrumentSetting(s, "timeFormat", "13 hr");
        FAIL();
    } catch (const BadInput& e) {
        EXPECT_NE(std::string(e.what()).find("\"12 hr\", \"24 hr\""), std::string::npos) << e.what();
    }
    EXPECT_THROW(setInstrumentSetting(s, "displayBrightness", "40000"), BadInput);
    EXPECT_THROW(setInstrumentSetting(s, "displayBrightness", "12x"), BadInput);
    EXPECT_THROW(setInstrumentSetting(s, "remoteModeEnabled", "yes"), BadInput);
    EXPECT_EQ(s.language, Kestrix::Language::korean);
}
