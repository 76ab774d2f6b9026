// Software updates against the simulator: where packages go, every reply code, and the screen lock.
#include "MaintenanceFixture.h"

#include "core/TarGz.h"
#include "tester/maintenance/UpdateStatus.h"

using namespace Kestrix::Tester;
using kx::test::MaintenanceTest;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> package() {
    const auto image = kx::test::randomBytes(300000, 5);
    return kx::test::tarGz({{"image.bin", std::string(image.begin(), image.end())}});
}

const std::vector<uint8_t> kPackage = package();

}  // namespace

TEST_F(MaintenanceTest, MainUnitsGetTheWholePackageByGeneration) {
    struct Case {
        const char* model;
        const char* target;
    };
    for (const Case& c : {Case{"Tarvel", "/tmp/update.kes"}, Case{"Ombrel", "/tmp/update.kes"},
                          Case{"Tarvel2", "/tmp/update.ke2"}, Case{"Ombrel2", "/tmp/update.ke2"}}) {
        auto& t = start({.model = c.model});
        std::vector<int> percents;
        std::vector<std::string> texts;
        EXPECT_EQ(t.UpdateFirmware(
                      kPackage, false, [&](int p) { percents.push_back(p); },
                      [&](const std::string& s) { texts.push_back(s); }),
                  kUpdateRunning)
            << c.model;
        EXPECT_EQ(kx::test::readHostFile(hostPath(c.target)), kPackage) << c.model;
        EXPECT_FALSE(
            fs::exists(hostPath(std::string(c.target) == "/tmp/update.kes" ? "/tmp/update.ke2" : "/tmp/update.kes")));
        ASSERT_FALSE(percents.empty());
        EXPECT_EQ(percents.back(), 100);
        EXPECT_EQ(texts, std::vector<std::string>{"verify"});
        // The update runs: the session is closed and the tester stays locked until it restarts.
        EXPECT_TRUE(sim->screenLocked());
        EXPECT_FALSE(t.KestrixCom::IsConnected());
        EXPECT_EQ(journalCount("swupdate --terse"), 1u);
    }
}

TEST_F(MaintenanceTest, NoPackageForceAndEveryReplyCode) {
    auto& t = start();
    EXPECT_EQ(t.UpdateFirmware({}, false, nullptr, nullptr), kUpdateNoReply);
    EXPECT_EQ(journalCount("uilock 1"), 0u);
    EXPECT_FALSE(fs::exists(hostPath("/tmp/update.kes")));
    // Every reply code; a blank line is an answer, just not a code.
    const std::vector<std::pair<std::string, int>> replies = {
        {"1", 0},  {"2", 4},  {"3", 2},    {"4", 1},          {"5", 6},   {"6", 12}, {"7", 9},
        {"8", 10}, {"9", 11}, {"abc", 12}, {"OP_FAILED", 12}, {"42", 12}, {" ", 12},
    };
    for (const auto& [reply, status] : replies) {
        sim->setFaults(faults([&](auto& f) { f.swupdateReply = reply; }));
        EXPECT_EQ(t.UpdateFirmware(kPackage, true, nullptr, nullptr), status) << reply;
        EXPECT_FALSE(sim->screenLocked()) << reply;
    }
    EXPECT_EQ(journalCount("swupdate --terse --force-update"), replies.size());
    EXPECT_EQ(journalCount("swupdate --terse"), 0u);
}

// A tester that drops the link on "swupdate" may be installing: it is left locked, and nothing is typed into
// it after the command (no reconnection, no "uilock 0").
TEST_F(MaintenanceTest, NoReplyToTheUpdateLeavesTheScreenLocked) {
    auto& t = start();
    sim->setFaults(faults([](auto& f) { f.noReplyTo = "swupdate"; }));
    EXPECT_EQ(t.UpdateFirmware(kPackage, false, nullptr, nullptr), kUpdateNoReply);
    EXPECT_TRUE(sim->screenLocked());
    const auto journal = sim->journal();
    const auto update = std::find(journal.begin(), journal.end(), "swupdate --terse");
    ASSERT_NE(update, journal.end());
    EXPECT_EQ(std::vector<std::string>(update + 1, journal.end()), std::vector<std::string>{});
    EXPECT_EQ(journalCount("uilock 1"), 1u);
    EXPECT_EQ(journalCount("uilock 0"), 0u);
}

// What is not a whole gzip-compressed tar is never installed as the tester's software (each kind of package
// that is not: UpdatePackage.ProblemsBeforeAnythingIsSent).
TEST_F(MaintenanceTest, MainUnitsAreSentOnlyAWholePackage) {
    auto cut = kPackage;
    cut.resize(cut.size() / 2);
    auto& t = start();
    EXPECT_EQ(t.UpdateFirmware(cut, false, nullptr, nullptr), kUpdateUploadFailed);
    EXPECT_FALSE(fs::exists(hostPath("/tmp/update.kes")));
    EXPECT_EQ(journalCount("uilock 1"), 0u);
    EXPECT_EQ(journalCount("swupdate --terse"), 0u);
}

// A link lost during an upload: 7, unlocked, no update started; a remote unit's walk ends at that image.
TEST_F(MaintenanceTest, AFailedUploadGivesSevenUnlockedAndEndsTheWalk) {
    const auto images =
        kx::test::remotePackage({"a.img", "b.img"}, {{"images/a.img", std::string(50000, 'a')}, {"images/b.img", "b"}});
    for (const char* config : {"main", "remote"}) {
        auto& t = start({.model = "Ombrel", .config = config});
        sim->setFaults(faults([](auto& f) { f.dropAfterScpBytes = 1000; }));
        EXPECT_EQ(t.UpdateFirmware(config == std::string("main") ? kPackage : images, false, nullptr, nullptr),
                  kUpdateUploadFailed)
            << config;
        EXPECT_FALSE(sim->screenLocked()) << config;
        EXPECT_EQ(journalCount("scp -t '/tmp/rmt_swupdate/images/b.img'"), 0u);
        EXPECT_EQ(journalCount("swupdate --terse"), 0u) << config;
    }
}

// Whatever the package holds, a remote unit's update either delivers listed plain files into the image
// folder or fails with 7 or 12; the screen is unlocked and nothing lands anywhere else.
// Packages the parser refuses (truncated, without a manifest or a listed file: MaintenancePackage_test) are refused
// before anything is sent, like these.
TEST_F(MaintenanceTest, RemoteUnitsGetTheListedImagesAndHostilePackagesUploadNothingElse) {
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> packages = {
        {"listed ../x", kx::test::remotePackage({"../x"}, {{"images/../x", "evil"}, {"../x", "evil"}})},
        {"listed /etc/x", kx::test::remotePackage({"/etc/x"}, {{"/etc/x", "evil"}})},
        {"one bad name among good ones",
         kx::test::remotePackage({"a.img", "../../etc/passwd"}, {{"images/a.img", "a"}, {"../../etc/passwd", "x"}})},
    };
    auto& t = start({.model = "Tarvel", .config = "remote"});
    const auto before = testerFiles();
    for (const auto& [what, pkg] : packages) {
        sim->clearJournal();
        const int status = t.UpdateFirmware(pkg, false, nullptr, nullptr);
        EXPECT_TRUE(status == kUpdateUploadFailed || status == kUpdateNoReply) << what << ": " << status;
        EXPECT_FALSE(sim->screenLocked()) << what;
        // Refused before anything is sent: no upload, no folder made, the screen never locked.
        for (const auto& line : sim->journal()) {
            EXPECT_NE(line.rfind("scp -t ", 0), 0u) << what << ": " << line;
            EXPECT_NE(line.rfind("mkdir", 0), 0u) << what << ": " << line;
        }
        EXPECT_EQ(journalCount("uilock 1"), 0u) << what;
        EXPECT_EQ(journalCount("swupdate --terse"), 0u) << what;
    }
    auto after = testerFiles();
    for (const auto& f : after) EXPECT_TRUE(before.count(f) || f.rfind("/tmp/rmt_swupdate/images/", 0) == 0) << f;
    EXPECT_FALSE(fs::exists(root / "x"));
    EXPECT_FALSE(fs::exists(root / "etc"));

    // The listed images of a sound package, and nothing else, arrive in the image folder.
    const std::string big(200000, 'B');
    auto good =
        kx::test::remotePackage({"main.img", "fpga.bit"},
                                {{"images/main.img", big}, {"images/fpga.bit", "fpga"}, {"images/unlisted.img", "no"}});
    EXPECT_EQ(t.UpdateFirmware(good, false, nullptr, nullptr), kUpdateRunning);
    auto added = testerFiles();
    for (const auto& f : after) added.erase(f);
    EXPECT_EQ(added, (std::set<std::string>{"/tmp/rmt_swupdate/images/fpga.bit", "/tmp/rmt_swupdate/images/main.img"}));
    EXPECT_EQ(kx::test::readHostFile(hostPath("/tmp/rmt_swupdate/images/main.img")),
              std::vector<uint8_t>(big.begin(), big.end()));
    EXPECT_EQ(journalCount("mkdir -p /tmp/rmt_swupdate/images/"), 1u);
}
