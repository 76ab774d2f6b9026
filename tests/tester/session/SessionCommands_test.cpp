// Shell commands of a tester session against the simulator.
#include "tester/TesterFixture.h"

#include "tester/session/TarvelCom.h"

using namespace Kestrix::Tester;
namespace fs = std::filesystem;
using kx::test::TesterLinkTest;

TEST_F(TesterLinkTest, ConnectsAndRunsCommands) {
    auto& c = connect();
    EXPECT_TRUE(c.IsConnected());
    EXPECT_EQ(c.SendTvixCmd("deferpowerdown"), std::string("OK\n"));
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
    EXPECT_EQ(c.SendTvixCmd("echo a  b"), std::string("a b\n"));
    // Output holding prompt-like text is read whole.
    EXPECT_EQ(c.SendTvixCmd("echo '# ' '$' 'x$'"), std::string("#  $ x$\n"));
    EXPECT_EQ(c.SendTvixCmd("true"), std::string(""));
    EXPECT_FALSE(c.SendTvixCmd(""));
    // A command with a newline could run two commands: it is refused.
    EXPECT_FALSE(c.SendTvixCmd("true\nrm -rf /"));
    EXPECT_EQ(c.SendTvixCmd("deferpowerdown"), std::string("OK\n"));
    auto journal = sim->journal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "rm -rf /"), 0);
}

TEST_F(TesterLinkTest, LockScreenLocksAndUnlocksAndConnectKeepsAnOpenSession) {
    auto& c = connect();
    EXPECT_TRUE(c.KestrixLockScreen(true));
    EXPECT_TRUE(sim->screenLocked());
    EXPECT_TRUE(c.KestrixLockScreen(false));
    EXPECT_FALSE(sim->screenLocked());
    auto j = sim->journal();
    ASSERT_GE(j.size(), 4u);
    EXPECT_EQ(j[j.size() - 4], "deferpowerdown");
    EXPECT_EQ(j[j.size() - 3], "uilock 1");
    EXPECT_EQ(j.back(), "uilock 0");
    c.Close();
    // Locking reconnects first when the session was closed.
    EXPECT_TRUE(c.KestrixLockScreen(true));
    EXPECT_TRUE(sim->screenLocked());
    TesterConnectInfo elsewhere;
    elsewhere.Port = "127.0.0.1:1";
    EXPECT_TRUE(c.KestrixConnect(elsewhere));  // already connected: unchanged
    EXPECT_EQ(c.currentTester()->Port, sim->address());
    c.Close();
    EXPECT_FALSE(c.IsConnected());
    EXPECT_TRUE(c.CheckConnect());
    EXPECT_TRUE(c.IsConnected());
    EXPECT_EQ(c.ReadModel(), 0);
}

TEST_F(TesterLinkTest, MakeListAndDeleteButNoPathThatLooksLikeAnOption) {
    auto& c = connect();
    EXPECT_TRUE(c.MkDir("/microsd_userdata/projects/My Project"));
    EXPECT_FALSE(c.MkDir("/microsd_userdata/projects/My Project"));  // exists: mkdir prints an error
    EXPECT_TRUE(c.WriteMemory(kx::test::randomBytes(1234, 1), "/microsd_userdata/projects/My Project/a.res", nullptr));
    auto list = c.DirList("/microsd_userdata/projects/My Project");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0].name, "a.res");
    EXPECT_EQ((*list)[0].size, 1234);
    auto top = c.DirList("/microsd_userdata/projects");
    ASSERT_TRUE(top);
    EXPECT_EQ((*top)[0].name, "My Project");
    EXPECT_TRUE(c.DelFile("/microsd_userdata/projects/My Project/a.res"));
    EXPECT_FALSE(c.DelFile("/microsd_userdata/projects/My Project/a.res"));  // rm prints an error
    EXPECT_FALSE(c.DirList("/microsd_userdata/projects/My Project"));        // empty
    EXPECT_FALSE(c.DirList("/microsd_userdata/nothing"));                    // No such file
    EXPECT_FALSE(c.DirList(""));
    EXPECT_FALSE(c.DelFile("/tmp/a\nb"));
    kx::test::writeBytes(hostPath("/tmp/keep"), kx::test::randomBytes(3, 1));
    sim->clearJournal();
    kx::test::LogCapture log;
    // rm -f would report success for anything; none of these may reach the tester.
    EXPECT_FALSE(c.DelFile("-f"));
    EXPECT_FALSE(c.DelFile("-rf"));
    EXPECT_FALSE(c.MkDir("-p"));
    EXPECT_FALSE(c.DirList("-la"));
    EXPECT_FALSE(c.WriteMemory(kx::test::randomBytes(3, 3), "-t", nullptr));
    EXPECT_FALSE(c.ReadMemory("-f"));
    EXPECT_TRUE(sim->journal().empty());
    EXPECT_TRUE(log.has("rm (Path begins with \"-\": -f)"));
    EXPECT_TRUE(c.IsConnected());
    EXPECT_TRUE(fs::exists(hostPath("/tmp/keep")));
    // The same name below a folder is an ordinary name.
    EXPECT_TRUE(c.MkDir("/tmp/-p"));
    EXPECT_TRUE(fs::is_directory(hostPath("/tmp/-p")));
}

TEST_F(TesterLinkTest, PathsReachTheTesterAsLiteralNames) {
    auto& c = connect();
    // How "!" is written outside the quotes: ShellQuote.DoubleQuotesEscapeEverythingTheShellWouldExpand.
    const std::string nasty = "/tmp/q \"x\" $(touch pwned) `touch pwned2` \\ $HOME ; rm -rf * ' & hi!there!!";
    ASSERT_TRUE(c.MkDir(nasty));
    EXPECT_TRUE(fs::is_directory(hostPath(nasty)));
    const std::string file = nasty + "/f $x \"y\".res";
    ASSERT_TRUE(c.WriteMemory(kx::test::randomBytes(10, 2), file, nullptr));
    EXPECT_TRUE(fs::is_regular_file(hostPath(file)));
    auto list = c.DirList(nasty);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0].name, "f $x \"y\".res");
    auto back = c.ReadMemory(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, kx::test::randomBytes(10, 2));
    EXPECT_TRUE(c.DelFile(file));
    EXPECT_FALSE(fs::exists(hostPath(file)));
    // Nothing was run by substitution, and nothing else was created.
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        EXPECT_NE(e.path().filename(), "pwned") << e.path();
        EXPECT_NE(e.path().filename(), "pwned2") << e.path();
    }
    EXPECT_TRUE(fs::exists(root / "tmp"));
    // Names with a newline are refused before anything is sent.
    sim->clearJournal();
    EXPECT_FALSE(c.MkDir("/tmp/a\nb"));
    EXPECT_FALSE(c.DirList("/tmp/a\nb"));
    EXPECT_FALSE(c.WriteMemory(kx::test::randomBytes(3, 3), "/tmp/a\nb", nullptr));
    EXPECT_TRUE(sim->journal().empty());
    // Refusing a path does not cost the session.
    EXPECT_TRUE(c.IsConnected());
}

TEST_F(TesterLinkTest, TarvelComForwards) {
    TarvelCom t;
    t.setPingFactory(kx::test::loopbackPing());
    TesterConnectInfo other = simInfo();
    other.Platform = 12;
    EXPECT_FALSE(t.Connect(other));
    EXPECT_TRUE(t.Connect(simInfo()));
    EXPECT_TRUE(t.IsConnected());
    EXPECT_EQ(t.SendCommand("deferpowerdown"), std::string("OK\n"));
    EXPECT_FALSE(t.SendCommand2("deferpowerdown"));
    EXPECT_FALSE(t.Mkdir(""));
    EXPECT_TRUE(t.Mkdir("/tmp/d"));
    EXPECT_FALSE(t.WriteFileToTester("", ""));
    EXPECT_FALSE(t.ReadFileFromTester("", ""));
    auto local = kx::test::freshFolder("tarvel");
    kx::test::writeBytes(local / "up.bin", kx::test::randomBytes(5000, 4));
    EXPECT_TRUE(t.WriteFileToTester((local / "up.bin").string(), "/tmp/d/up.bin"));
    EXPECT_TRUE(t.ReadFileFromTester("/tmp/d/up.bin", (local / "down.bin").string()));
    EXPECT_EQ(kx::test::readHostFile(local / "down.bin"), kx::test::randomBytes(5000, 4));
    EXPECT_FALSE(t.ReadFileFromTester("/tmp/d/missing", (local / "none.bin").string()));
    EXPECT_FALSE(fs::exists(local / "none.bin"));
    kx::test::writeBytes(local / "empty.bin", {});
    EXPECT_FALSE(t.WriteFileToTester((local / "empty.bin").string(), "/tmp/d/empty.bin"));
    auto dir = t.Dir("/tmp/d");
    ASSERT_TRUE(dir);
    EXPECT_EQ(dir->size(), 1u);
    EXPECT_TRUE(t.DeleteFile("/tmp/d/up.bin"));
    EXPECT_TRUE(t.LockScreen(true));
    EXPECT_TRUE(t.LockScreen(false));
    EXPECT_EQ(t.GetImporter(), &t);
    EXPECT_FALSE(t.SerialPortTest());
    t.CloseImport();
    EXPECT_FALSE(t.KestrixCom::IsConnected());
    // The host's IsConnected reconnects.
    EXPECT_TRUE(t.IsConnected());
    fs::remove_all(local);
}
