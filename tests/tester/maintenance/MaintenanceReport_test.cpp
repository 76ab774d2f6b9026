// Software report, calibration date, log archive and screen capture against the simulator.
#include "MaintenanceFixture.h"

#include "SimState.h"
#include "core/Golden.h"
#include "tester/maintenance/SoftwareReport.h"

using namespace Kestrix::Tester;
using kx::test::MaintenanceTest;
namespace chr = std::chrono;
namespace fs = std::filesystem;

namespace {

CalDate ymd(int y, unsigned m, unsigned d) { return CalDate{chr::year{y}, chr::month{m}, chr::day{d}}; }

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = ::pclose(p);
    return (WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status)) : std::string("signal")) + "\n" + out;
}

}  // namespace

TEST_F(MaintenanceTest, LongReportOfALumetraAndShortReportOfAKzr) {
    // A module whose model is not a number is left out of the long form; too short a date is no entry.
    const Kestrix::Sim::SimModule second{
        .model = "302", .serialNumber = "M0000002", .dateVerified = "20250601 12:00:00"};
    auto report = start({.model = "Tarvel", .modules = {{.model = "302"}, second, {.model = "3x2"}}}).RetrieveSwVers();
    ASSERT_TRUE(report);
    kx::test::expectGolden(*report, "maintenance/golden/long-report.txt");
    report = start({.model = "Ombrel2", .modules = {{.model = "302"}, {.model = "3x2", .dateCalibrated = "2025011"}}})
                 .RetrieveSwVers();
    ASSERT_TRUE(report);
    kx::test::expectGolden(*report, "maintenance/golden/short-report.txt");
    // Without components there is no report.
    Kestrix::Tester::Sysinfo bare;
    bare.instruments.resize(1);
    EXPECT_FALSE(softwareReport(bare));
}

TEST_F(MaintenanceTest, CalibrationDateAndFirstUse) {
    auto& t = start({.modules = {{.model = "302"}}});
    struct Case {
        const char* calibrated;
        const char* verified;
        const char* firstUse;
        CalDate expected;
    };
    const Case cases[] = {
        {"20250115 09:30:00", "", "20250915 10:00:00", ymd(2025, 7, 15)},  // 8 months later: + 6 months
        {"20250115 09:30:00", "", "20250301 10:00:00", ymd(2025, 3, 1)},   // within 6 months: the first use
        {"20250115 09:30:00", "", "20241201 10:00:00", ymd(2025, 1, 15)},  // used before calibration
        {"20250115 09:30:00", "", "", ymd(2025, 1, 15)},                   // never used
        {"20250831 09:30:00", "", "20260401 10:00:00", ymd(2026, 2, 28)},  // + 6 months ends in February
        {"20230115 09:30:00", "20250115 09:00:00", "20250301 08:00:00", ymd(2025, 3, 1)},  // verified counts
        {"2025011", "", "20250301 10:00:00", kMinDate},                                    // no usable calibration date
    };
    for (const auto& c : cases) {
        Kestrix::Sim::SimModule m{.model = "302"};
        m.dateCalibrated = c.calibrated;
        m.dateVerified = c.verified;
        m.firstUsedDate = c.firstUse;
        std::ofstream(root / "sysinfo.json") << Kestrix::Sim::buildSysinfo({.modules = {m}});
        std::string name = "unset", serial = "unset";
        EXPECT_EQ(t.ModuleCalDate(name, serial), c.expected) << c.calibrated << " / " << c.firstUse;
        if (c.expected != kMinDate) {
            EXPECT_EQ(name, "KZR-A");
            EXPECT_EQ(serial, "M0000001");
        }
    }
}

TEST(SysinfoDate, ParsesTheFirstEightCharacters) {
    EXPECT_EQ(TarvelCom::ParseSysInfoDate("20250115 09:30:00"), ymd(2025, 1, 15));
    EXPECT_EQ(TarvelCom::ParseSysInfoDate("20240229x"), ymd(2024, 2, 29));
    for (const char* none :
         {"", "20250115", "2025-01-15", "20250230 00:00", "20251301 00:00", "00000101 00:00", "2025011\x01 0"})
        EXPECT_EQ(TarvelCom::ParseSysInfoDate(none), kMinDate) << none;
    EXPECT_EQ(formatDate(addMonths(ymd(2024, 8, 31), 6)), "2025-02-28");
    EXPECT_EQ(formatDate(addMonths(ymd(2023, 8, 31), 6)), "2024-02-29");
    EXPECT_EQ(formatDate(addMonths(ymd(2025, 7, 10), 6)), "2026-01-10");
}

TEST_F(MaintenanceTest, LogArchiveIsAPlainZipOfWhatArrivedAlsoAfterALostConnection) {
    auto& t = start();
    auto zip = t.RetrieveLogDataZip(true);
    ASSERT_TRUE(zip);
    EXPECT_FALSE(sim->screenLocked());
    EXPECT_EQ(journalCount("uilock 1"), 1u);
    EXPECT_EQ(journalCount("uilock 0"), 1u);
    EXPECT_EQ(journalCount("dmesg > /tmp/dmesg.txt"), 1u);
    EXPECT_EQ(journalCount("sysinfo > /tmp/sysinfo.txt"), 1u);
    const fs::path file = root / "logs.zip";
    kx::test::writeBytes(file, *zip);
    // No Zip64 end record or locator.
    const std::string bytes(zip->begin(), zip->end());
    EXPECT_EQ(bytes.find("PK\x06\x06"), std::string::npos);
    EXPECT_EQ(bytes.find("PK\x06\x07"), std::string::npos);
    auto tested = run("unzip -t " + file.string() + " 2>&1");
    EXPECT_EQ(tested.rfind("exit 0\n", 0), 0u) << tested;
    EXPECT_NE(tested.find("No errors detected"), std::string::npos) << tested;
    auto listing = run("unzip -Z1 " + file.string());
    EXPECT_EQ(listing,
              "exit 0\nkestrix.err\nkestrix.err.1.gz\nkestrix.err.2.gz\nkestrix.log\nkestrix.log.1.gz\n"
              "dmesg.txt\nmessages\nmessages.1.gz\nsysinfo.txt\n");
    auto dmesg = run("unzip -p " + file.string() + " dmesg.txt");
    EXPECT_NE(dmesg.find("Booting Linux"), std::string::npos);
    EXPECT_NE(run("unzip -p " + file.string() + " sysinfo.txt").find("\"serial_number\" : \"KX1000001\""),
              std::string::npos);
    auto rotated = run("unzip -p " + file.string() + " kestrix.err.1.gz | gzip -dc");
    EXPECT_NE(rotated.find("settings file missing"), std::string::npos) << rotated;

    sim->clearJournal();
    ASSERT_TRUE(t.RetrieveLogDataZip(false));
    EXPECT_EQ(journalCount("uilock 1") + journalCount("uilock 0"), 0u);
    // After a lost connection the archive still comes, and the screen is unlocked.
    fs::remove(hostPath("/tmp/dmesg.txt"));
    sim->setFaults(faults([](auto& f) { f.noReplyTo = "dmesg"; }));
    auto lostOne = t.RetrieveLogDataZip(true);
    ASSERT_TRUE(lostOne);  // the group read reconnects; only the kernel log is missing
    EXPECT_FALSE(sim->screenLocked());
    kx::test::writeBytes(file, *lostOne);
    auto lostListing = run("unzip -Z1 " + file.string());
    EXPECT_EQ(lostListing.find("dmesg.txt"), std::string::npos) << lostListing;
    EXPECT_NE(lostListing.find("kestrix.log"), std::string::npos) << lostListing;

    // A tester that is gone gives no archive.
    sim->stop();
    kx::test::LogCapture log;
    EXPECT_FALSE(t.RetrieveLogDataZip(true));
}

TEST_F(MaintenanceTest, ScreenCaptureOfExactlyOneScreenAndItsFaults) {
    auto& t = start();
    auto image = t.RetrieveDisplayImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), 921600u);
    EXPECT_EQ(*image, kx::test::readHostFile(hostPath("/tmp/sd.ppm")));
    EXPECT_EQ(t.DisplayFormat(), 2);
    EXPECT_FALSE(sim->screenLocked());

    const std::string cmd = "fbdump >/tmp/sd.ppm";
    {
        // The tester's file as it is: exactly one screen is enough, one byte less is not.
        sim->setReply(cmd, "");
        auto exact = kx::test::randomBytes(921600, 3);
        kx::test::writeBytes(hostPath("/tmp/sd.ppm"), exact);
        auto same = t.RetrieveDisplayImage();
        ASSERT_TRUE(same);
        EXPECT_TRUE(*same == exact);
        exact.pop_back();
        kx::test::writeBytes(hostPath("/tmp/sd.ppm"), exact);
        kx::test::LogCapture log;
        EXPECT_FALSE(t.RetrieveDisplayImage());
        EXPECT_TRUE(log.has("truncated image file"));
        sim->clearReply(cmd);
        fs::remove(hostPath("/tmp/sd.ppm"));
    }

    const struct {
        const char* what;
        void (*fault)(Kestrix::Sim::SimFaults&);
        bool arrives;
        const char* logged;
    } cases[] = {
        {"one row short: both attempts refuse it", [](auto& f) { f.shortFbdump = true; }, false,
         "truncated image file"},
        {"\"OP_FAILED\" lands in the file instead of pixels", [](auto& f) { f.failCommand = "fbdump"; }, false,
         "truncated image file"},
        // The session is rebuilt and the second attempt succeeds.
        {"the first command gets no reply", [](auto& f) { f.noReplyTo = "fbdump"; }, true,
         "SendCommand(fbdump...) failed.  Retrying"},
    };
    for (const auto& c : cases) {
        kx::test::LogCapture log;
        sim->clearJournal();
        sim->setFaults(faults(c.fault));
        const auto got = t.RetrieveDisplayImage();
        EXPECT_EQ(got && got->size() == 921600u, c.arrives) << c.what;
        EXPECT_TRUE(log.has(c.logged)) << c.what;
        EXPECT_EQ(journalCount(cmd), 2u) << c.what;
    }
    {
        // No file at all.
        kx::test::LogCapture log;
        sim->setReply(cmd, "");
        fs::remove(hostPath("/tmp/sd.ppm"));
        EXPECT_FALSE(t.RetrieveDisplayImage());
        EXPECT_TRUE(log.has("failed reading image file"));
    }
}

TEST_F(MaintenanceTest, ScreenAndLogDownloadsHaveTheirOwnCaps) {
    auto& t = start();
    const fs::path file = root / "logs.zip";
    {
        // A screen one byte over the screen cap is refused, though every other purpose has room for it.
        DownloadLimits limits;
        limits.screenImage = 921599;
        t.setDownloadLimits(limits);
        kx::test::LogCapture log;
        EXPECT_FALSE(t.RetrieveDisplayImage());
        EXPECT_TRUE(log.has("SCP exception: scp: /tmp/sd.ppm is larger than 921599 bytes"));
    }
    {
        // Logs are not result files: the result-file cap does not hold them back.
        DownloadLimits limits;
        limits.resultFile = 1;
        t.setDownloadLimits(limits);
        auto zip = t.RetrieveLogDataZip(false);
        ASSERT_TRUE(zip);
        kx::test::writeBytes(file, *zip);
        EXPECT_NE(run("unzip -Z1 " + file.string()).find("kestrix.log\n"), std::string::npos);
    }
    {
        // Under a log cap of one byte no log arrives, and an archive of nothing is no archive.
        DownloadLimits limits;
        limits.log = 1;
        t.setDownloadLimits(limits);
        kx::test::LogCapture log;
        EXPECT_FALSE(t.RetrieveLogDataZip(false));
        EXPECT_TRUE(log.has("SCP exception: scp: /var/log/kestrix.log is larger than 1 bytes"));
    }
}

TEST_F(MaintenanceTest, EveryLogLeftOutIsNamedButTheOnesTheTesterDoesNotHave) {
    auto& t = start();
    fs::remove(hostPath("/var/log/messages.1.gz"));  // rotation has not made it yet
    kx::test::writeBytes(hostPath("/var/log/messages"), kx::test::randomBytes(500000, 1));
    DownloadLimits limits;
    limits.log = 400000;
    t.setDownloadLimits(limits);
    const auto logs = t.collectLogs(false);
    ASSERT_TRUE(logs.zip);
    ASSERT_EQ(logs.leftOut.size(), 1u);
    EXPECT_EQ(logs.leftOut[0].path, "/var/log/messages");
    EXPECT_EQ(logs.leftOut[0].reason, "scp: /var/log/messages is larger than 400000 bytes");
    EXPECT_EQ(logs.files, 7u);  // ten less the two the tester does not have and the one too large

    // The link goes with the first log: nothing arrives, and every log is named.
    t.setDownloadLimits({});
    sim->setFaults(faults([](auto& f) { f.dropDuringDownload = 1; }));
    const auto lost = t.collectLogs(false);
    EXPECT_FALSE(lost.zip);
    EXPECT_EQ(lost.leftOut.size(), 10u);
}
